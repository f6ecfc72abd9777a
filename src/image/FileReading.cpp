#include "image/FileReading.h"

#include "image/BufferAllocation.h"

#include <filesystem>
#include <fstream>

namespace orvex {

namespace {

// The narrow-string constructor would take the system code page on Windows.
std::filesystem::path pathFromUtf8(const std::string& utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

FileContent unreadable()
{
    return {FileReadStatus::Unreadable, {}};
}

} // namespace

bool canOpenForReading(const std::string& utf8Path)
{
    return std::ifstream(pathFromUtf8(utf8Path), std::ios::binary).is_open();
}

FileContent readWholeFile(const std::string& utf8Path)
{
    std::ifstream file(pathFromUtf8(utf8Path), std::ios::binary | std::ios::ate);
    if (!file.is_open())
        return {FileReadStatus::NotOpened, {}};
    // A directory opens as a stream on POSIX systems; its length is either not
    // known or absurd, which lands here too.
    const std::streamoff length = file.tellg();
    if (length < 0 || length > kMaxFileLength)
        return unreadable();
    auto bytes = allocateOrEmpty([length] { return std::vector<std::uint8_t>(static_cast<std::size_t>(length)); });
    if (static_cast<std::streamoff>(bytes.size()) != length)
        return unreadable();
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), length);
    if (file.gcount() != length)
        return unreadable();
    return {FileReadStatus::Read, std::move(bytes)};
}

} // namespace orvex
