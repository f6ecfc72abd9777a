#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex {

// Numbers in settings values, read and written the same way whatever locale
// the process runs in (Qt sets the user's locale at start-up, and a Polish one
// would otherwise write "1,500000").

// Leading white space, an optional sign, then decimal digits up to the first
// other byte; 0 without digits. Out of range gives the nearest limit.
std::int32_t parseInt32(std::string_view text);
// As parseInt32, but a minus sign negates modulo 2^32 and a number above
// 4294967295 gives 4294967295, whatever its sign.
std::uint32_t parseUInt32(std::string_view text);
// Leading white space, optional sign, digits, optional fraction and exponent;
// 0.0 without digits. No "inf", "nan" or hexadecimal forms.
double parseDouble(const std::string& text);

// "%f": always six digits after the decimal point.
std::string formatDouble(double value);

} // namespace orvex
