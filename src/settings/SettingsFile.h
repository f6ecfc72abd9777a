#pragma once

#include "notify/OperatorText.h"
#include "settings/ExclusiveFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvex {

// What the operator is told when a settings file cannot be opened.
inline constexpr OperatorText kOpenFailureMessage =
    ORVEX_TEXT("SettingsFile", "Nie można otworzyć pliku z konfiguracją!!!");

// Called with the path each time SettingsFile::open fails. The window installs
// one that shows kOpenFailureMessage in a message box; none is installed by
// default, as this library has no user interface. Window thread only.
using OpenFailureHandler = std::function<void(const std::string& path)>;
void setOpenFailureHandler(OpenFailureHandler handler);

// A small key=value text file (see SettingsText.h), held in memory as its list
// of lines in file order. The file is held exclusively from open() to
// saveAndClose() or destruction; the lines outlive it, and the next open()
// replaces them with the file's. Reading and changing values touches memory
// only; nothing reaches the file before a save.
class SettingsFile {
public:
    SettingsFile() = default;
    explicit SettingsFile(const std::string& path) { open(path); }
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // Creates a missing file, never truncates one, and loads its lines. On
    // failure (a file longer than kMaxSettingsFileLength among them) reports through
    // the open-failure handler, keeps the lines it had and stays closed, so
    // the saves that follow write nothing. A file in the user's configuration
    // folder gets that folder created first.
    bool open(const std::string& path);
    bool isOpen() const { return file_.isOpen(); }
    // Replaces the lines with the file's without opening it for writing:
    // nothing is created, locked or reported, and saves stay refused. False,
    // with the lines kept, when the file is missing, unreadable or too long.
    bool loadReadOnly(const std::string& path);

    // Index of the first line whose key matches the trimmed key, or -1.
    int findKey(const std::string& key) const;
    const std::vector<std::string>& lines() const { return lines_; }

    // A missing key reads as the empty string or 0.
    std::string getString(const std::string& key) const;
    std::int32_t getInt(const std::string& key) const;

    // Replaces the first line with that key in place, or appends one; the key
    // is written as given.
    void setString(const std::string& key, const std::string& value);
    void setInt(const std::string& key, std::int32_t value);
    void clear() { lines_.clear(); }

    // Each returns false, writing nothing, when the file is not open.
    bool save();
    bool saveAndFlush();
    bool saveAndClose();

private:
    bool load();

    std::vector<std::string> lines_;
    ExclusiveFile file_;
};

} // namespace orvex
