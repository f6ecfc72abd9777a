#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvex {

// A millisecond counter that wraps at 32 bits, like the system tick the run
// time has always been measured with.
using MillisecondClock = std::function<std::uint32_t()>;

std::uint32_t steadyMilliseconds();

// "PROGRAM OK. Czas: 12.345 s" for a run from t0 to t1; the unsigned
// difference stays right across a wrap of the counter.
std::string formatRunTime(std::uint32_t t0, std::uint32_t t1);

} // namespace orvex
