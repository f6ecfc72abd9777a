#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace orvex {

// A point on the monotonic clock that a bounded wait must not pass.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::int64_t milliseconds) : end_(Clock::now() + std::chrono::milliseconds(milliseconds)) {}

    bool passed() const { return Clock::now() >= end_; }

    // Rounded up, so that a wait for what is left never returns early and
    // turns the last fraction of a millisecond into a busy loop.
    int millisecondsLeft() const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return static_cast<int>(std::max<std::int64_t>(left, 0));
    }

private:
    Clock::time_point end_;
};

} // namespace orvex
