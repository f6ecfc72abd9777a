#include "sim/SerialLine.h"

#include <algorithm>
#include <limits>

namespace orvex::sim {

namespace {

constexpr long long kNanosPerSecond = 1'000'000'000;

} // namespace

SerialLine::Clock::duration SerialLine::wireTime(std::size_t byteCount) const
{
    if (instant())
        return Clock::duration::zero();
    // Rounded up, so that a byte counts as carried from its moment on; whole
    // seconds and the rest apart, so that no product overflows.
    const auto bits = static_cast<long long>(byteCount) * kBitsPerByte;
    const auto nanos =
        bits / rateBps_ * kNanosPerSecond + (bits % rateBps_ * kNanosPerSecond + rateBps_ - 1) / rateBps_;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanos));
}

SerialLine::Clock::time_point SerialLine::occupy(Clock::time_point earliest, std::size_t byteCount)
{
    const auto start = std::max(earliest, busyUntil_);
    busyUntil_ = start + wireTime(byteCount);
    return start;
}

std::size_t SerialLine::bytesCarried(Clock::time_point start, Clock::time_point now) const
{
    if (instant())
        return std::numeric_limits<std::size_t>::max();
    if (now <= start)
        return 0;
    // Whole seconds and the rest apart, so that no product overflows.
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed);
    const long long bits = seconds.count() * rateBps_ + (elapsed - seconds).count() * rateBps_ / kNanosPerSecond;
    return static_cast<std::size_t>(bits / kBitsPerByte);
}

std::size_t SerialLine::bytesPerPacingStep() const
{
    const auto bytesPerStep = static_cast<long long>(rateBps_) / kBitsPerByte * kPacingStep.count() / 1'000'000;
    return static_cast<std::size_t>(std::max(1LL, bytesPerStep));
}

} // namespace orvex::sim
