#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace orvex::sim {

namespace {

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Child processes (a test starting the command-line program, say) must not
// inherit the line.
void setCloseOnExec(int fd)
{
    if (::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC) < 0)
        throwErrno("fcntl(F_SETFD) on pty");
}

void setNonBlocking(int fd)
{
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) < 0)
        throwErrno("fcntl(F_SETFL) on pty");
}

// Without raw mode the slave's line discipline would echo the PC's requests
// back to it and mangle bytes such as 0x0D and 0x11.
void makeRaw(int slave)
{
    termios settings{};
    if (::tcgetattr(slave, &settings) < 0)
        throwErrno("tcgetattr on pty slave");
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave, TCSANOW, &settings) < 0)
        throwErrno("tcsetattr on pty slave");
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) < 0)
        throwErrno("openpty");
    master_ = FileDescriptor(master);
    slave_ = FileDescriptor(slave);

    setCloseOnExec(master);
    setCloseOnExec(slave);
    // The server never blocks on the master; it polls instead.
    setNonBlocking(master);
    makeRaw(slave);

    std::array<char, 128> name{};
    if (::ptsname_r(master, name.data(), name.size()) != 0)
        throwErrno("ptsname_r");
    slavePath_ = name.data();
}

} // namespace orvex::sim
