#include "settings/SettingsPaths.h"

#include "settings/ProgramDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvex {

namespace {

QString toQString(const std::string& path)
{
    return QString::fromStdString(path);
}

std::string pathIn(const std::string& directory, const char* fileName)
{
    return directory + kPathSeparator + fileName;
}

bool programDirectoryIsUnwritable()
{
    const QFileInfo info(toQString(programDirectory()));
    return info.isDir() && !info.isWritable();
}

// Empty when the system names no such folder.
std::string userConfigDirectory()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).toStdString();
}

bool staysBesideProgram(const char* fileName)
{
    return QFileInfo::exists(toQString(pathIn(programDirectory(), fileName))) || !programDirectoryIsUnwritable()
           || userConfigDirectory().empty();
}

std::string settingsFilePath(const char* fileName)
{
    return pathIn(staysBesideProgram(fileName) ? programDirectory() : userConfigDirectory(), fileName);
}

std::string directoryOf(const std::string& path)
{
    const std::size_t separator = path.rfind(kPathSeparator);
    return separator == std::string::npos ? std::string{} : path.substr(0, separator);
}

} // namespace

std::string configFilePath()
{
    return settingsFilePath(kConfigFileName);
}

std::string recentFilesPath()
{
    return settingsFilePath(kRecentFilesFileName);
}

std::string readBackSaveDirectory()
{
    return staysBesideProgram(kConfigFileName) ? programDirectory()
                                               : QDir::toNativeSeparators(QDir::homePath()).toStdString();
}

void createUserSettingsFolderFor(const std::string& settingsPath)
{
    const std::string folder = directoryOf(settingsPath);
    if (!folder.empty() && folder == userConfigDirectory())
        QDir().mkpath(toQString(folder));
}

} // namespace orvex
