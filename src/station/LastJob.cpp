#include "station/LastJob.h"

#include "settings/SettingsPaths.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>

namespace orvex::station {

namespace {

constexpr char kJobKey[] = "JOB=";

std::string stationSettingsPath()
{
    return (std::filesystem::path(configFilePath()).parent_path() / "station.cfg").string();
}

} // namespace

std::optional<std::string> rememberedJob()
{
    QFile file(QString::fromStdString(stationSettingsPath()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    while (!file.atEnd()) {
        const std::string line = file.readLine().trimmed().toStdString();
        if (line.starts_with(kJobKey) && line.size() > std::string(kJobKey).size())
            return line.substr(std::string(kJobKey).size());
    }
    return std::nullopt;
}

std::optional<std::string> rememberJob(const std::string& path)
{
    const std::string settingsPath = stationSettingsPath();
    createUserSettingsFolderFor(settingsPath);
    // Written whole or not at all: a PC switched off meanwhile keeps the
    // job it had.
    QSaveFile file(QString::fromStdString(settingsPath));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    file.write((kJobKey + path + "\n").c_str());
    if (!file.commit())
        return file.errorString().toStdString();
    return std::nullopt;
}

} // namespace orvex::station
