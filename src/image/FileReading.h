#pragma once

#include "image/ByteBuffer.h"

#include <cstdint>
#include <limits>
#include <string>

namespace orvex {

// Lengths are held as signed 32-bit counts; a longer file cannot be loaded.
inline constexpr std::int64_t kMaxImageFileLength = std::numeric_limits<std::int32_t>::max();

enum class FileReadStatus {
    Read,           // the whole file is in memory
    NotOpened,      // no such file, no access, ...: the system's reason says which
    NotRegularFile, // a directory, fifo, device or socket: the file kind says which
    TooLarge,       // longer than a signed 32-bit length, or more than memory holds
    ReadFailed,     // opened, but the system failed the read: its reason says why
};

enum class FileKind {
    Unknown, // not looked at, or the file could not be looked at
    Regular,
    Directory,
    Fifo,
    CharacterDevice,
    BlockDevice,
    Socket,
    Other,
};

// How reading a file went.
struct FileReadOutcome {
    FileReadStatus readStatus = FileReadStatus::NotOpened;
    // The system's text for the error (strerror), for NotOpened and ReadFailed.
    std::string systemReason;
    FileKind fileKind = FileKind::Unknown;
};

// A regular file opened for reading by its UTF-8 path, and closed again when
// the object goes. Opening never waits: anything but a regular file (a fifo
// without a writer would block an ordinary open for good, a device may act on
// being opened) is refused, and the descriptor is opened non-blocking in case
// the path is swapped for such a node in between.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& utf8Path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    // NotOpened or NotRegularFile when the file is not open, Read as long as
    // all goes well, and after readAll how the read went.
    const FileReadOutcome& outcome() const { return outcome_; }

    // The whole file, read into memory, when outcome() then says Read;
    // otherwise nothing. Throws std::bad_alloc when memory runs out.
    ByteBuffer readAll();

private:
    bool lookAt(const std::string& utf8Path);
    bool open(const std::string& utf8Path);
    bool acceptKind(FileKind kind);
    // Records the failure, closes the file and returns false.
    bool fail(FileReadStatus status, int error = 0);

    int descriptor_ = -1;
    std::int64_t length_ = 0;
    FileReadOutcome outcome_;
};

// Whether the file at utf8Path is a regular file that can be opened for
// reading; nothing is read, and nothing blocks.
bool canOpenForReading(const std::string& utf8Path);

} // namespace orvex
