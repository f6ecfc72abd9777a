#include "settings/ExclusiveFile.h"

#include "settings/DiskWrites.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace orvex {

#ifdef _WIN32

namespace {

int openShared(const std::string& path, int flags, int sharing)
{
    int descriptor = -1;
    _sopen_s(&descriptor, path.c_str(), flags | _O_BINARY | _O_NOINHERIT, sharing, _S_IREAD | _S_IWRITE);
    return descriptor;
}

int openForWriting(const std::string& path)
{
    return openShared(path, _O_RDWR | _O_CREAT, _SH_DENYRW);
}
int openForReading(const std::string& path)
{
    return openShared(path, _O_RDONLY, _SH_DENYNO);
}
bool holdExclusively(int)
{
    return true;
} // the open itself denied sharing
bool stillNamedBy(int, const std::string&)
{
    return true;
} // nobody renames a file held without sharing

bool isRegularFile(int descriptor)
{
    struct _stat64 status {};
    return _fstat64(descriptor, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

bool seekToStart(int descriptor)
{
    return _lseeki64(descriptor, 0, SEEK_SET) == 0;
}
long long readSome(int descriptor, char* buffer, unsigned count)
{
    return _read(descriptor, buffer, count);
}
bool truncateToEmpty(int descriptor)
{
    return _chsize_s(descriptor, 0) == 0;
}
void closeDescriptor(int descriptor)
{
    _close(descriptor);
}

} // namespace

#else

namespace {

// Non-blocking so that opening a fifo does not wait for a writer, and never a
// controlling terminal; what is not a regular file is closed again at once.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

int openForWriting(const std::string& path)
{
    return ::open(path.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
}
int openForReading(const std::string& path)
{
    return ::open(path.c_str(), O_RDONLY | kOpenFlags);
}
bool holdExclusively(int descriptor)
{
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
}

// Whether path still leads to the file open as descriptor. A holder's save
// puts a new file in the old one's place; a lock won on the old one after
// that guards nothing.
bool stillNamedBy(int descriptor, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

bool isRegularFile(int descriptor)
{
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

bool seekToStart(int descriptor)
{
    return ::lseek(descriptor, 0, SEEK_SET) == 0;
}
long long readSome(int descriptor, char* buffer, unsigned count)
{
    return ::read(descriptor, buffer, count);
}
void closeDescriptor(int descriptor)
{
    ::close(descriptor);
}

} // namespace

#endif

namespace {

// Larger pieces are fine for the C library, but the Windows one takes an
// unsigned int count.
constexpr unsigned kReadChunkBytes = 64 * 1024;

unsigned chunkAt(std::size_t remaining)
{
    return remaining < kReadChunkBytes ? static_cast<unsigned>(remaining) : kReadChunkBytes;
}

// A descriptor of a regular file, or -1: anything else is closed again.
int keptIfRegularFile(int descriptor)
{
    if (descriptor < 0 || isRegularFile(descriptor))
        return descriptor;
    closeDescriptor(descriptor);
    return -1;
}

// Appends what is left of the file, giving up once content would pass maxBytes.
bool readToEnd(int descriptor, std::size_t maxBytes, std::string& content)
{
    while (content.size() <= maxBytes) {
        const std::size_t before = content.size();
        const unsigned wanted = chunkAt(maxBytes + 1 - before);
        content.resize(before + wanted);
        const long long got = readSome(descriptor, content.data() + before, wanted);
        content.resize(before + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got == 0)
            return true;
        if (got < 0 && errno != EINTR)
            return false;
    }
    return false;
}

bool writeText(int descriptor, std::string_view text)
{
    return writeAll(descriptor, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// Read and write, created when missing, never truncated, and held so that no
// second open can share it, in this process or another, until it is closed.
int openExclusive(const std::string& path)
{
    // A save by the holder may replace the file between the open and the
    // lock; the file that took its place is tried once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int descriptor = keptIfRegularFile(openForWriting(path));
        if (descriptor < 0)
            return -1;
        const bool held = holdExclusively(descriptor);
        if (held && stillNamedBy(descriptor, path))
            return descriptor;
        closeDescriptor(descriptor);
        if (!held)
            return -1;
    }
    return -1;
}

bool readFromStart(int descriptor, std::size_t maxBytes, std::string& content)
{
    content.clear();
    return seekToStart(descriptor) && readToEnd(descriptor, maxBytes, content);
}

#ifdef _WIN32

// The descriptor that holds the file afterwards, or -1.
int replaceHeldContent(const std::string&, int descriptor, std::string_view bytes)
{
    const bool written = seekToStart(descriptor) && truncateToEmpty(descriptor) && writeText(descriptor, bytes);
    return written ? descriptor : -1;
}

#else

// The file a chain of symbolic links ends at, so that the links stay links;
// the path itself when it cannot be resolved.
std::string resolvedPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// Only the holder of the file writes its new version, so one fixed name is
// enough, and one left by a save cut short is reused, not piled up.
std::string newVersionPath(const std::string& target)
{
    return target + ".new";
}

// The new version gets the old one's permissions and is on the disk before
// it takes the old one's place.
bool fillNewVersion(int newDescriptor, int oldDescriptor, std::string_view bytes)
{
    struct stat old {};
    return holdExclusively(newDescriptor) && ::fstat(oldDescriptor, &old) == 0
           && ::fchmod(newDescriptor, old.st_mode & 07777) == 0 && writeText(newDescriptor, bytes)
           && flushToDisk(newDescriptor);
}

// The descriptor that holds the file afterwards (the new version's, the old
// one closed), or -1 with the old file whole and still held.
int replaceHeldContent(const std::string& path, int descriptor, std::string_view bytes)
{
    const std::string target = resolvedPath(path);
    const std::string newPath = newVersionPath(target);
    const int newDescriptor =
        keptIfRegularFile(::open(newPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | kOpenFlags, 0666));
    if (newDescriptor < 0)
        return -1;
    if (!fillNewVersion(newDescriptor, descriptor, bytes) || ::rename(newPath.c_str(), target.c_str()) != 0) {
        closeDescriptor(newDescriptor);
        ::unlink(newPath.c_str());
        return -1;
    }
    syncFolderOf(target);
    closeDescriptor(descriptor);
    return newDescriptor;
}

#endif

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::open(const std::string& path)
{
    close();
    descriptor_ = openExclusive(path);
    path_ = path;
    return isOpen();
}

void ExclusiveFile::close()
{
    if (!isOpen())
        return;
    closeDescriptor(descriptor_);
    descriptor_ = -1;
}

bool ExclusiveFile::readAll(std::string& content, std::size_t maxBytes)
{
    content.clear();
    return isOpen() && readFromStart(descriptor_, maxBytes, content);
}

bool ExclusiveFile::replaceContent(std::string_view content)
{
    if (!isOpen())
        return false;
    const int replaced = replaceHeldContent(path_, descriptor_, content);
    if (replaced < 0)
        return false;
    descriptor_ = replaced;
    return true;
}

bool ExclusiveFile::flush()
{
    return isOpen() && flushToDisk(descriptor_);
}

bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& content)
{
    content.clear();
    const int descriptor = keptIfRegularFile(openForReading(path));
    if (descriptor < 0)
        return false;
    const bool read = readToEnd(descriptor, maxBytes, content);
    closeDescriptor(descriptor);
    return read;
}

} // namespace orvex
