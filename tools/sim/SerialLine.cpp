#include "sim/SerialLine.h"

#include <algorithm>

namespace orvex::sim {

SerialLine::Clock::duration SerialLine::wireTime(std::size_t byteCount) const
{
    if (instant())
        return Clock::duration::zero();
    const auto bits = static_cast<long long>(byteCount) * kBitsPerByte;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(bits * 1'000'000'000LL / rateBps_));
}

SerialLine::Clock::time_point SerialLine::occupy(Clock::time_point now, std::size_t byteCount)
{
    const auto start = std::max(now, busyUntil_);
    busyUntil_ = start + wireTime(byteCount);
    return start;
}

std::size_t SerialLine::bytesPerPacingStep() const
{
    const auto bytesPerStep = static_cast<long long>(rateBps_) / kBitsPerByte * kPacingStep.count() / 1'000'000;
    return static_cast<std::size_t>(std::max(1LL, bytesPerStep));
}

} // namespace orvex::sim
