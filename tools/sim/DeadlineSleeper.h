#pragma once

#include "sim/FileDescriptor.h"

#include <chrono>

namespace orvex::sim {

// Sleeps until absolute moments of the steady clock, so that a late wake-up
// does not push the moments after it, and waits for input. stop(), from any
// thread, cuts either short for good.
class DeadlineSleeper {
public:
    using Clock = std::chrono::steady_clock;

    // Throws std::system_error when the kernel grants no timer or event.
    DeadlineSleeper();

    // How long before a deadline sleepUntilExactly stops sleeping and spins:
    // more than the kernel usually takes to wake a timer's sleeper, also on a
    // busy machine, where 100 us left twice the lateness.
    static constexpr std::chrono::microseconds kSpinLead{300};

    // False when stopped first.
    bool sleepUntil(Clock::time_point deadline);
    // To the microsecond, at the price of spinning through the last kSpinLead.
    bool sleepUntilExactly(Clock::time_point deadline);
    // Until fd has something to read; false when stopped first.
    bool waitReadable(int fd);
    void stop();

private:
    FileDescriptor stopEvent_;
    FileDescriptor timer_;
};

} // namespace orvex::sim
