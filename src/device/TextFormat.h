#pragma once

#include <string>

namespace orvex {

// printf-style formatting into a std::string, for the fixed texts the operator
// sees ("ERROR at %i", ": %i/%i", ...). The compiler checks the arguments.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatText(const char* format, ...);

} // namespace orvex
