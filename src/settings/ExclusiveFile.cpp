#include "settings/ExclusiveFile.h"

#include <cerrno>
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

namespace {

// Larger pieces are fine for the C library, but the Windows one takes an
// unsigned int count.
constexpr unsigned kChunkBytes = 64 * 1024;

#ifdef _WIN32

int openUnshared(const std::string& path)
{
    int descriptor = -1;
    _sopen_s(&descriptor, path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
             _S_IREAD | _S_IWRITE);
    return descriptor;
}

long long seekTo(int descriptor, long long offset, int whence) { return _lseeki64(descriptor, offset, whence); }
long long readSome(int descriptor, char* buffer, unsigned count) { return _read(descriptor, buffer, count); }
long long writeSome(int descriptor, const char* bytes, unsigned count) { return _write(descriptor, bytes, count); }
bool truncateToEmpty(int descriptor) { return _chsize_s(descriptor, 0) == 0; }
bool flushToDisk(int descriptor) { return _commit(descriptor) == 0; }
void closeDescriptor(int descriptor) { _close(descriptor); }

#else

int openUnshared(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0 || ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return descriptor;
    ::close(descriptor);
    return -1;
}

long long seekTo(int descriptor, long long offset, int whence) { return ::lseek(descriptor, offset, whence); }
long long readSome(int descriptor, char* buffer, unsigned count) { return ::read(descriptor, buffer, count); }
long long writeSome(int descriptor, const char* bytes, unsigned count) { return ::write(descriptor, bytes, count); }
bool truncateToEmpty(int descriptor) { return ::ftruncate(descriptor, 0) == 0; }
bool flushToDisk(int descriptor) { return ::fsync(descriptor) == 0; }
void closeDescriptor(int descriptor) { ::close(descriptor); }

#endif

unsigned chunkAt(std::size_t remaining)
{
    return remaining < kChunkBytes ? static_cast<unsigned>(remaining) : kChunkBytes;
}

bool readExactly(int descriptor, char* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const long long got = readSome(descriptor, buffer + done, chunkAt(count - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const long long written = writeSome(descriptor, bytes.data(), chunkAt(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::open(const std::string& path)
{
    close();
    descriptor_ = openUnshared(path);
    return isOpen();
}

void ExclusiveFile::close()
{
    if (!isOpen())
        return;
    closeDescriptor(descriptor_);
    descriptor_ = -1;
}

bool ExclusiveFile::readAll(std::string& content)
{
    content.clear();
    if (!isOpen())
        return false;
    const long long length = seekTo(descriptor_, 0, SEEK_END);
    if (length < 0 || seekTo(descriptor_, 0, SEEK_SET) != 0)
        return false;
    content.resize(static_cast<std::size_t>(length));
    return readExactly(descriptor_, content.data(), content.size());
}

bool ExclusiveFile::replaceContent(std::string_view content)
{
    if (!isOpen() || seekTo(descriptor_, 0, SEEK_SET) != 0 || !truncateToEmpty(descriptor_))
        return false;
    return writeAll(descriptor_, content);
}

bool ExclusiveFile::flush()
{
    return isOpen() && flushToDisk(descriptor_);
}

} // namespace orvex
