#include "settings/DiskWrites.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvex {

namespace {

// Larger pieces are fine for the C library, but the Windows one takes an
// unsigned int count.
constexpr std::size_t kWriteChunkBytes = 64 * 1024;

long long writeSome(int descriptor, const std::uint8_t* bytes, std::size_t count)
{
#ifdef _WIN32
    return _write(descriptor, bytes, static_cast<unsigned>(count));
#else
    return ::write(descriptor, bytes, count);
#endif
}

} // namespace

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const long long written = writeSome(descriptor, bytes.data(), std::min(bytes.size(), kWriteChunkBytes));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

#ifdef _WIN32

bool flushToDisk(int descriptor)
{
    return _commit(descriptor) == 0;
}

void syncFolderOf(const std::string&) {}

#else

bool flushToDisk(int descriptor)
{
    return ::fsync(descriptor) == 0;
}

void syncFolderOf(const std::string& file)
{
    const std::string::size_type slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        flushToDisk(descriptor);
        ::close(descriptor);
    }
}

#endif

} // namespace orvex
