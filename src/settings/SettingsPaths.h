#pragma once

#include <string>

namespace orvex {

// Where config.cfg and Latest.cfg live and where the read-back save dialog
// starts. Normally all three are the program directory. A program installed
// in a directory it cannot write (/usr/bin, say) would greet its user with a
// message box at every start and remember nothing; there, and only there, the
// two files go to the user's configuration directory and the save dialog
// starts in the user's home directory.

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The program directory, or, when that exists but cannot be written, the
// user's configuration directory for this application, created if needed.
// Call after the application's name is set: the latter depends on it.
std::string settingsDirectory();
std::string configFilePath();
std::string recentFilesPath();
std::string readBackSaveDirectory();

} // namespace orvex
