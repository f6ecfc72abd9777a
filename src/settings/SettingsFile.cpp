#include "settings/SettingsFile.h"

#include "settings/SettingsPaths.h"
#include "settings/SettingsText.h"

#include <utility>

namespace orvex {

namespace {

OpenFailureHandler& openFailureHandler()
{
    static OpenFailureHandler handler;
    return handler;
}

} // namespace

void setOpenFailureHandler(OpenFailureHandler handler)
{
    openFailureHandler() = std::move(handler);
}

bool SettingsFile::open(const std::string& path)
{
    createUserSettingsFolderFor(path);
    // A file that cannot be read is not opened at all: writing back lines
    // that were never read would wipe it.
    if (file_.open(path) && load())
        return true;
    file_.close();
    if (openFailureHandler())
        openFailureHandler()(path);
    return false;
}

bool SettingsFile::load()
{
    std::string content;
    if (!file_.readAll(content, kMaxSettingsFileLength))
        return false;
    lines_ = splitLines(content);
    return true;
}

bool SettingsFile::loadReadOnly(const std::string& path)
{
    std::string content;
    if (!readWholeFile(path, kMaxSettingsFileLength, content))
        return false;
    lines_ = splitLines(content);
    return true;
}

int SettingsFile::findKey(const std::string& key) const
{
    const std::string_view wanted = trimmed(key);
    for (std::size_t index = 0; index < lines_.size(); ++index) {
        if (sameKey(keyOf(lines_[index]), wanted))
            return static_cast<int>(index);
    }
    return -1;
}

std::string SettingsFile::getString(const std::string& key) const
{
    const int index = findKey(key);
    return index < 0 ? std::string{} : std::string(valueOf(lines_[static_cast<std::size_t>(index)]));
}

std::int32_t SettingsFile::getInt(const std::string& key) const
{
    return parseInt32(getString(key));
}

void SettingsFile::setString(const std::string& key, const std::string& value)
{
    std::string line = key + "=" + value;
    const int index = findKey(key);
    if (index < 0)
        lines_.push_back(std::move(line));
    else
        lines_[static_cast<std::size_t>(index)] = std::move(line);
}

void SettingsFile::setInt(const std::string& key, std::int32_t value)
{
    setString(key, std::to_string(value));
}

bool SettingsFile::save()
{
    return file_.replaceContent(joinLines(lines_));
}

bool SettingsFile::saveAndFlush()
{
    return save() && file_.flush();
}

bool SettingsFile::saveAndClose()
{
    const bool saved = saveAndFlush();
    file_.close();
    return saved;
}

} // namespace orvex
