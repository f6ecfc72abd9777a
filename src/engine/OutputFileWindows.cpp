#include "engine/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <system_error>
#include <windows.h>

namespace orvex {

namespace {

using Failure = std::optional<std::string>;

constexpr int kTemporaryNameAttempts = 100;

Failure systemFailure(DWORD error)
{
    return std::system_category().message(static_cast<int>(error));
}

// The path is UTF-8; Windows' own paths are UTF-16, so it converts without
// loss (the narrow functions would take the ANSI code page instead).
std::wstring widened(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

bool writeAll(HANDLE file, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

Failure closeAfter(HANDLE file, bool written)
{
    Failure failure = written ? Failure{} : systemFailure(GetLastError());
    if (!CloseHandle(file) && !failure)
        failure = systemFailure(GetLastError());
    return failure;
}

Failure writeToStandardOutput(std::span<const std::uint8_t> bytes)
{
    // Whatever the program printed before must come out before the data.
    std::fflush(stdout);
    // Text mode would turn every 0x0A of the data into 0x0D 0x0A.
    _setmode(_fileno(stdout), _O_BINARY);
    const auto out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    return writeAll(out, bytes) ? Failure{} : systemFailure(GetLastError());
}

Failure writeInPlace(const std::wstring& path, std::span<const std::uint8_t> bytes)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return systemFailure(GetLastError());
    return closeAfter(file, writeAll(file, bytes));
}

// A new file beside target under a name nobody uses.
HANDLE createTemporaryBeside(const std::wstring& target, std::wstring& temporary)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = target + L".part-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        const HANDLE file =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// The content is on the disk before the new file takes the old one's place.
Failure replaceWhole(const std::wstring& target, std::span<const std::uint8_t> bytes)
{
    std::wstring temporary;
    const HANDLE file = createTemporaryBeside(target, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return systemFailure(GetLastError());
    Failure failure = closeAfter(file, writeAll(file, bytes) && FlushFileBuffers(file));
    if (!failure && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = systemFailure(GetLastError());
    if (failure)
        DeleteFileW(temporary.c_str());
    return failure;
}

// The file a symbolic link ends at, so that the link stays a link.
std::wstring finalPathOf(HANDLE file, const std::wstring& path)
{
    std::wstring final(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return path;
        if (length < final.size()) {
            final.resize(length);
            return final;
        }
        final.resize(length);
    }
    return path;
}

// What is at path now: only looked at, so a COM port is not held open.
struct ExistingNode {
    bool exists = false;
    bool isFolder = false;
    bool isDiskFile = false;
    std::wstring finalPath;
};

ExistingNode lookAt(const std::wstring& path)
{
    // Backup semantics open a folder as well.
    const HANDLE node =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (node == INVALID_HANDLE_VALUE)
        return {};
    ExistingNode existing{true, false, GetFileType(node) == FILE_TYPE_DISK, path};
    BY_HANDLE_FILE_INFORMATION information{};
    existing.isFolder = GetFileInformationByHandle(node, &information)
                        && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (existing.isDiskFile)
        existing.finalPath = finalPathOf(node, path);
    CloseHandle(node);
    return existing;
}

} // namespace

// A device (a COM port, NUL) or a pipe is written where it is; a file on a
// disk, or a new name, is replaced whole, as on POSIX.
std::optional<std::string> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path == kStandardOutputPath)
        return writeToStandardOutput(bytes);
    const std::wstring wide = widened(path);
    const ExistingNode existing = lookAt(wide);
    if (existing.isFolder)
        return std::generic_category().message(EISDIR);
    if (existing.exists && !existing.isDiskFile)
        return writeInPlace(wide, bytes);
    return replaceWhole(existing.exists ? existing.finalPath : wide, bytes);
}

} // namespace orvex
