#include "engine/RunClock.h"

#include "engine/EngineTexts.h"
#include "device/TextFormat.h"

#include <chrono>

namespace orvex {

std::uint32_t steadyMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string formatRunTime(std::uint32_t t0, std::uint32_t t1)
{
    const std::uint32_t elapsedMs = t1 - t0;
    return formatText(EngineTexts::kRunSucceeded, static_cast<double>(elapsedMs) * 0.001);
}

} // namespace orvex
