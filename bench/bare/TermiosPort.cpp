#include "TermiosPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvex::bench {

TermiosPort::~TermiosPort()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::string TermiosPort::open(const std::string& devicePath)
{
    descriptor_ = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (descriptor_ < 0)
        return devicePath + ": " + std::strerror(errno);
    termios line{};
    if (::tcgetattr(descriptor_, &line) != 0)
        return devicePath + ": not a tty";
    ::cfmakeraw(&line);
    ::cfsetispeed(&line, B115200);
    ::cfsetospeed(&line, B115200);
    line.c_cflag |= CLOCAL | CREAD;
    // A read returns as soon as one byte is there, or after VTIME with none.
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = kReadTimeoutDeciseconds;
    if (::tcsetattr(descriptor_, TCSANOW, &line) != 0)
        return devicePath + ": " + std::strerror(errno);
    return {};
}

int TermiosPort::send(const std::uint8_t* bytes, int count)
{
    int sent = 0;
    while (sent < count) {
        const ssize_t written = ::write(descriptor_, bytes + sent, static_cast<std::size_t>(count - sent));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return 0;
        sent += static_cast<int>(written);
    }
    return count;
}

int TermiosPort::bytesAvailable()
{
    int queued = 0;
    if (waiting() == 0 && ::ioctl(descriptor_, FIONREAD, &queued) == 0 && queued > 0)
        fill();
    return waiting();
}

int TermiosPort::read(std::uint8_t* buffer, int max)
{
    const int count = std::min(max, waiting());
    std::copy_n(buffer_.begin() + start_, count, buffer);
    start_ += count;
    return std::max(count, 0);
}

PortInput TermiosPort::waitForInput(int timeoutMs)
{
    if (descriptor_ < 0)
        return PortInput::Closed;
    if (waiting() == 0 && timeoutMs > 0)
        fill();
    return waiting() > 0 ? PortInput::Waiting : PortInput::TimedOut;
}

void TermiosPort::fill()
{
    const ssize_t count = ::read(descriptor_, buffer_.data(), buffer_.size());
    start_ = 0;
    end_ = count > 0 ? static_cast<int>(count) : 0;
}

} // namespace orvex::bench
