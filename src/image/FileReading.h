#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace orvex {

// Lengths are held as signed 32-bit counts; a longer file cannot be loaded.
inline constexpr std::int64_t kMaxFileLength = std::numeric_limits<std::int32_t>::max();

enum class FileReadStatus {
    NotOpened,  // no such file, or no access
    Unreadable, // opened, but its bytes could not all be held or read
    Read,
};

struct FileContent {
    FileReadStatus status = FileReadStatus::NotOpened;
    std::vector<std::uint8_t> bytes;
};

// Whether the file at utf8Path can be opened for reading; nothing is read.
bool canOpenForReading(const std::string& utf8Path);

// The whole file at utf8Path, read with one read and closed again.
FileContent readWholeFile(const std::string& utf8Path);

} // namespace orvex
