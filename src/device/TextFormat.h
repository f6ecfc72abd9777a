#pragma once

#include <string>

namespace orvex {

// printf-style formatting into a std::string, for the fixed texts the operator
// sees ("ERROR at %i", ": %i/%i", ...). The compiler checks the arguments.
// Numbers come out the same in every locale ("0.512", never "0,512"), and the
// text ends at its first NUL, as a C string does.
// clang-format would break the line after the return type, taking the
// attribute for part of it.
// clang-format off
#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatText(const char* format, ...);
// clang-format on

} // namespace orvex
