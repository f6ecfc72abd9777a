#include "engine/OutputFile.h"

#include "settings/DiskWrites.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvex {

namespace {

namespace fs = std::filesystem;
using Failure = std::optional<std::string>;

constexpr int kMaxLinkDepth = 40;
constexpr int kTemporaryNameAttempts = 100;

Failure systemFailure(int error)
{
    return std::generic_category().message(error);
}

Failure closeAfter(int descriptor, bool written)
{
    Failure failure = written ? Failure{} : systemFailure(errno);
    if (::close(descriptor) != 0 && !failure)
        failure = systemFailure(errno);
    return failure;
}

Failure writeToStandardOutput(std::span<const std::uint8_t> bytes)
{
    // Whatever the program printed before must come out before the data.
    std::fflush(stdout);
    return writeAll(STDOUT_FILENO, bytes) ? Failure{} : systemFailure(errno);
}

Failure writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return systemFailure(errno);
    return closeAfter(descriptor, writeAll(descriptor, bytes));
}

// The name a chain of symbolic links ends at; it need not exist yet. A name
// that is no link is its own end.
std::optional<fs::path> followLinks(fs::path path)
{
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::nullopt;
}

// A new file beside target under a name nobody uses. It is created like any
// new file, so the umask and the folder's default permissions apply.
int createTemporaryBeside(const fs::path& target, fs::path& temporary)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = target;
        temporary += ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

// The old file keeps its permissions; the content reaches the disk before the
// new file takes the old one's place.
bool fillTemporary(int descriptor, std::span<const std::uint8_t> bytes, const struct stat* old)
{
    return writeAll(descriptor, bytes) && (old == nullptr || ::fchmod(descriptor, old->st_mode & 07777) == 0)
           && flushToDisk(descriptor);
}

Failure replaceWhole(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::optional<fs::path> target = followLinks(path);
    if (!target)
        return systemFailure(ELOOP);
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;

    fs::path temporary;
    const int descriptor = createTemporaryBeside(*target, temporary);
    if (descriptor < 0)
        return systemFailure(errno);
    Failure failure = closeAfter(descriptor, fillTemporary(descriptor, bytes, exists ? &old : nullptr));
    if (!failure && ::rename(temporary.c_str(), target->c_str()) != 0)
        failure = systemFailure(errno);
    if (failure)
        ::unlink(temporary.c_str());
    else
        syncFolderOf(target->string());
    return failure;
}

} // namespace

std::optional<std::string> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path == kStandardOutputPath)
        return writeToStandardOutput(bytes);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0 || S_ISREG(existing.st_mode))
        return replaceWhole(path, bytes);
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))
        return writeInPlace(path, bytes);
    // A folder, a block device or a socket is not replaced by a file.
    if (S_ISDIR(existing.st_mode))
        return systemFailure(EISDIR);
    return "neither a regular file nor a character device or fifo";
}

} // namespace orvex
