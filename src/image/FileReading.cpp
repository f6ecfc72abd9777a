#include "image/FileReading.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvex {

namespace {

// The few system calls a file read needs, on each platform.
#ifdef _WIN32
using FileStatus = struct _stat64;

// The narrow-string functions would take the system code page on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

int lookAtPath(const std::string& utf8Path, FileStatus& status)
{
    return _wstat64(pathFromUtf8(utf8Path).c_str(), &status);
}

int openPath(const std::string& utf8Path)
{
    return _wopen(pathFromUtf8(utf8Path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int lookAtOpened(int descriptor, FileStatus& status)
{
    return _fstat64(descriptor, &status);
}

std::int64_t readSome(int descriptor, std::uint8_t* into, std::size_t count)
{
    return _read(descriptor, into, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

void closeDescriptor(int descriptor)
{
    _close(descriptor);
}

FileKind kindOf(const FileStatus& status)
{
    switch (status.st_mode & _S_IFMT) {
    case _S_IFREG:
        return FileKind::Regular;
    case _S_IFDIR:
        return FileKind::Directory;
    case _S_IFCHR:
        return FileKind::CharacterDevice;
    case _S_IFIFO:
        return FileKind::Fifo;
    default:
        return FileKind::Other;
    }
}
#else
using FileStatus = struct stat;

// The path's bytes go to the file system as they are: a Linux file name need
// not be valid UTF-8.
int lookAtPath(const std::string& utf8Path, FileStatus& status)
{
    return ::stat(utf8Path.c_str(), &status);
}

int openPath(const std::string& utf8Path)
{
    return ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

int lookAtOpened(int descriptor, FileStatus& status)
{
    return ::fstat(descriptor, &status);
}

std::int64_t readSome(int descriptor, std::uint8_t* into, std::size_t count)
{
    ssize_t got = 0;
    do {
        got = ::read(descriptor, into, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

void closeDescriptor(int descriptor)
{
    ::close(descriptor);
}

FileKind kindOf(const FileStatus& status)
{
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return FileKind::Directory;
    if (S_ISFIFO(status.st_mode))
        return FileKind::Fifo;
    if (S_ISCHR(status.st_mode))
        return FileKind::CharacterDevice;
    if (S_ISBLK(status.st_mode))
        return FileKind::BlockDevice;
    if (S_ISSOCK(status.st_mode))
        return FileKind::Socket;
    return FileKind::Other;
}
#endif

} // namespace

ReadableFile::ReadableFile(const std::string& utf8Path)
{
    if (lookAt(utf8Path) && open(utf8Path))
        outcome_.readStatus = FileReadStatus::Read;
}

// Looking first keeps anything but a regular file, a device above all, from
// ever being opened.
bool ReadableFile::lookAt(const std::string& utf8Path)
{
    // The system would see the path only up to the NUL: another file.
    if (utf8Path.find('\0') != std::string::npos)
        return fail(FileReadStatus::NotOpened, EINVAL);
    FileStatus status{};
    if (lookAtPath(utf8Path, status) != 0)
        return fail(FileReadStatus::NotOpened, errno);
    return acceptKind(kindOf(status));
}

bool ReadableFile::open(const std::string& utf8Path)
{
    descriptor_ = openPath(utf8Path);
    FileStatus status{};
    if (descriptor_ < 0 || lookAtOpened(descriptor_, status) != 0)
        return fail(FileReadStatus::NotOpened, errno);
    length_ = status.st_size;
    return acceptKind(kindOf(status));
}

ReadableFile::~ReadableFile()
{
    if (isOpen())
        closeDescriptor(descriptor_);
}

ByteBuffer ReadableFile::readAll()
{
    if (!isOpen())
        return {};
    if (length_ > kMaxImageFileLength) {
        fail(FileReadStatus::TooLarge);
        return {};
    }
    ByteBuffer bytes(static_cast<std::size_t>(length_));
    std::size_t count = 0;
    while (count < bytes.size()) {
        const std::int64_t got = readSome(descriptor_, bytes.data() + count, bytes.size() - count);
        if (got < 0) {
            fail(FileReadStatus::ReadFailed, errno);
            return {};
        }
        // The file got shorter since it was looked at: it is taken as it is now.
        if (got == 0)
            break;
        count += static_cast<std::size_t>(got);
    }
    bytes.resize(count);
    return bytes;
}

bool ReadableFile::acceptKind(FileKind kind)
{
    outcome_.fileKind = kind;
    if (kind != FileKind::Regular)
        return fail(FileReadStatus::NotRegularFile);
    return true;
}

bool ReadableFile::fail(FileReadStatus status, int error)
{
    outcome_.readStatus = status;
    outcome_.systemReason = error != 0 ? std::generic_category().message(error) : std::string();
    if (isOpen())
        closeDescriptor(descriptor_);
    descriptor_ = -1;
    return false;
}

bool canOpenForReading(const std::string& utf8Path)
{
    return ReadableFile(utf8Path).isOpen();
}

} // namespace orvex
