#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvex {

// Settings files on disk, alike on POSIX and Windows. Only regular files are
// opened: a fifo would keep a reader waiting for good, and a device's content
// never ends.

// A regular file opened for reading and writing that no second open can
// share, in this process or another, until it is closed. On Windows the open
// itself denies sharing; elsewhere an exclusive flock() on the open descriptor
// does, so every opener that may write must go through this class.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // Creates a missing file, never truncates one. False when the file cannot
    // be opened or created, is no regular file, or someone else holds it; the
    // object stays closed.
    bool open(const std::string& path);
    bool isOpen() const { return descriptor_ >= 0; }
    void close();

    // The whole content; false on a read error, when closed, or when the file
    // holds more than maxBytes (of which no more than maxBytes + 1 are read).
    bool readAll(std::string& content, std::size_t maxBytes);
    // Makes content the whole of the file; false on a write error or when
    // closed, with the old content whole. A save that fails or is cut short
    // must never leave a half-written file: on POSIX the content goes to a new
    // file beside it, held like the old one, which takes the old one's place
    // by rename once it is complete and on the disk; from then on this object
    // holds the new file. Windows cannot rename over a file held without
    // sharing, so there the content is rewritten in place.
    bool replaceContent(std::string_view content);
    // Pushes what was written down to the disk.
    bool flush();

private:
    std::string path_;
    int descriptor_ = -1;
};

// The whole file at path when it holds at most maxBytes, read through a
// descriptor opened for reading only: nothing is created, locked or written,
// so a file the user may only read reads all the same. A longer file fails
// after maxBytes + 1 bytes, whatever length it claims.
bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content);

} // namespace orvex
