#pragma once

#include <string>

namespace orvex::ui {

// The part of path before its last separator ('/' here; '/' or '\' on
// Windows); empty when it has none.
std::string directoryOf(const std::string& path);
// The part after the last separator; the whole path when it has none.
std::string fileNameOf(const std::string& path);

} // namespace orvex::ui
