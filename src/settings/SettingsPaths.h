#pragma once

#include <string>

namespace orvex {

// Where config.cfg and Latest.cfg live and where the read-back save dialog
// starts. Normally all three are the program directory. A program installed
// in a directory it cannot write (/usr/bin, say) would greet its user with a
// message box at every start and remember nothing; there a settings file that
// is not already beside the program goes to the user's configuration folder,
// and the save dialog then starts in the user's home directory. Finding a
// path only looks: it creates no folder and no file.

inline constexpr char kConfigFileName[] = "config.cfg";
inline constexpr char kRecentFilesFileName[] = "Latest.cfg";

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Each file lies beside the program when it is there already, or when the
// program directory can be written or does not exist (a broken program path,
// where opening then fails visibly); otherwise in the user's configuration
// folder for this application. Call after the application's name is set: the
// latter folder depends on it.
std::string configFilePath();
std::string recentFilesPath();
// The program directory, or the user's home directory when config.cfg moved
// to the user's configuration folder.
std::string readBackSaveDirectory();

// Creates the user's configuration folder when settingsPath lies in it, so
// that the file can be created there. Anything else is left alone. Called
// just before a settings file is opened for writing.
void createUserSettingsFolderFor(const std::string& settingsPath);

} // namespace orvex
