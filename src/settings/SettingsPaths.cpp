#include "settings/SettingsPaths.h"

#include "settings/ProgramDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvex {

namespace {

// A directory that does not exist is left alone on purpose: it is a broken
// program path, not an installed program, and opening fails visibly there.
bool isUnwritableDirectory(const std::string& directory)
{
    const QFileInfo info(QString::fromStdString(directory));
    return info.isDir() && !info.isWritable();
}

bool programDirectoryIsUnwritable()
{
    return isUnwritableDirectory(programDirectory());
}

std::string userConfigDirectory()
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(directory);
    return QDir::toNativeSeparators(directory).toStdString();
}

std::string settingsFilePath(const char* fileName)
{
    return settingsDirectory() + kPathSeparator + fileName;
}

} // namespace

std::string settingsDirectory()
{
    return programDirectoryIsUnwritable() ? userConfigDirectory() : programDirectory();
}

std::string configFilePath()
{
    return settingsFilePath("config.cfg");
}

std::string recentFilesPath()
{
    return settingsFilePath("Latest.cfg");
}

std::string readBackSaveDirectory()
{
    return programDirectoryIsUnwritable() ? QDir::toNativeSeparators(QDir::homePath()).toStdString()
                                          : programDirectory();
}

} // namespace orvex
