#include "settings/SettingsPaths.h"

#include "settings/ProgramDirectory.h"

namespace orvex {

// A build without Qt knows no user configuration folder: every settings file,
// and the save dialog, stay in the program directory whatever it allows.

namespace {

std::string besideProgram(const char* fileName)
{
    return programDirectory() + kPathSeparator + fileName;
}

} // namespace

std::string configFilePath()
{
    return besideProgram(kConfigFileName);
}

std::string recentFilesPath()
{
    return besideProgram(kRecentFilesFileName);
}

std::string readBackSaveDirectory()
{
    return programDirectory();
}

void createUserSettingsFolderFor(const std::string&) {}

} // namespace orvex
