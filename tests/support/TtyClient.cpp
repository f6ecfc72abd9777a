#include "support/TtyClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace orvex::test {

TtyClient::TtyClient(const std::string& path, bool makeRaw)
    : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    if (fd_ < 0 || !makeRaw)
        return;
    termios settings{};
    ::tcgetattr(fd_, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd_, TCSANOW, &settings);
}

TtyClient::~TtyClient()
{
    close();
}

void TtyClient::close()
{
    if (fd_ >= 0 && owned_)
        ::close(fd_);
    fd_ = -1;
}

void TtyClient::send(std::span<const std::uint8_t> bytes)
{
    if (sendWithin(bytes, kReplyTimeout) != bytes.size())
        throw std::runtime_error("write to the tty failed");
}

std::size_t TtyClient::sendWithin(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    std::size_t sent = 0;
    while (sent < bytes.size() && waitFor(POLLOUT, deadline)) {
        const auto written = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            break;
        sent += static_cast<std::size_t>(std::max<ssize_t>(written, 0));
    }
    return sent;
}

void TtyClient::sendRequest(CommandCode command, std::span<const std::uint8_t> payload)
{
    send(encodeRequest(command, payload));
}

std::vector<std::uint8_t> TtyClient::receive(std::size_t count, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count && waitFor(POLLIN, deadline))
        readInto(bytes, count - bytes.size());
    return bytes;
}

std::optional<WireReply> TtyClient::receiveReply(std::chrono::milliseconds timeout)
{
    // One byte at a time, so that nothing after the frame is taken from the line.
    const auto deadline = Clock::now() + timeout;
    std::vector<std::uint8_t> bytes;
    while (waitFor(POLLIN, deadline)) {
        readInto(bytes, 1);
        if (auto reply = decodeReply(bytes))
            return reply;
    }
    return std::nullopt;
}

std::optional<WireReply> TtyClient::exchange(CommandCode command, std::span<const std::uint8_t> payload)
{
    sendRequest(command, payload);
    return receiveReply();
}

bool TtyClient::waitFor(short events, Clock::time_point deadline) const
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return false;
    pollfd fd{fd_, events, 0};
    return ::poll(&fd, 1, static_cast<int>(left.count())) > 0 && (fd.revents & events) != 0;
}

void TtyClient::readInto(std::vector<std::uint8_t>& bytes, std::size_t max)
{
    const auto before = bytes.size();
    bytes.resize(before + max);
    const auto count = ::read(fd_, bytes.data() + before, max);
    bytes.resize(before + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    if (count > 0) {
        lastByteTime_ = Clock::now();
        if (before == 0)
            firstByteTime_ = lastByteTime_;
    }
}

} // namespace orvex::test
