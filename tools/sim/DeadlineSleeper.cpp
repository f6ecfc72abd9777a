#include "sim/DeadlineSleeper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace orvex::sim {

namespace {

FileDescriptor checked(int fd, const char* what)
{
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), what);
    return FileDescriptor(fd);
}

// The steady clock counts on CLOCK_MONOTONIC, the clock of the timer.
itimerspec absoluteTime(DeadlineSleeper::Clock::time_point moment)
{
    const auto sinceStart = moment.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceStart);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceStart - seconds);
    itimerspec time{};
    time.it_value = {static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
    return time;
}

} // namespace

DeadlineSleeper::DeadlineSleeper()
    : stopEvent_(checked(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd")),
      timer_(checked(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK), "timerfd_create"))
{
}

bool DeadlineSleeper::sleepUntil(Clock::time_point deadline)
{
    if (Clock::now() >= deadline)
        return true;
    const itimerspec time = absoluteTime(deadline);
    // Fails only for arguments that these are not; a sleep cut short then
    // beats one that never ends.
    if (::timerfd_settime(timer_.get(), TFD_TIMER_ABSTIME, &time, nullptr) < 0)
        return true;
    const bool expired = waitReadable(timer_.get());
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto taken = ::read(timer_.get(), &expirations, sizeof expirations);
    return expired;
}

bool DeadlineSleeper::sleepUntilExactly(Clock::time_point deadline)
{
    if (!sleepUntil(deadline - kSpinLead))
        return false;
    while (Clock::now() < deadline) {
    }
    return true;
}

bool DeadlineSleeper::waitReadable(int fd)
{
    std::array<pollfd, 2> fds{{{fd, POLLIN, 0}, {stopEvent_.get(), POLLIN, 0}}};
    while (::poll(fds.data(), fds.size(), -1) < 0) {
        if (errno != EINTR)
            return false;
    }
    return (fds[1].revents & POLLIN) == 0;
}

void DeadlineSleeper::stop()
{
    const std::uint64_t wake = 1;
    [[maybe_unused]] const auto written = ::write(stopEvent_.get(), &wake, sizeof wake);
}

} // namespace orvex::sim
