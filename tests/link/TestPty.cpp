#include "TestPty.h"

#include <pty.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace orvex::test {

TestPty::TestPty()
{
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = ttyname(slave_);
}

TestPty::~TestPty()
{
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

void TestPty::write(const std::vector<std::uint8_t>& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            throw std::runtime_error("write to pty master failed");
        written += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> TestPty::readAll(int timeoutMs)
{
    std::vector<std::uint8_t> bytes;
    pollfd pfd{master_, POLLIN, 0};
    while (::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLIN)) {
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

void TestPty::closeMaster()
{
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace orvex::test
