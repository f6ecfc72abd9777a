#include "sim/FlashMemory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace orvex::sim {

namespace {

std::runtime_error unreadable(const std::string& path)
{
    return std::runtime_error("cannot read the flash file " + path);
}

// maxSize + 1 bytes at the most: enough to tell that a file is too long,
// however long it is or grows while it is read.
std::vector<std::uint8_t> readAtMost(const std::string& path, std::size_t maxSize)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw unreadable(path);
    std::vector<std::uint8_t> contents(maxSize + 1);
    file.read(reinterpret_cast<char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    if (file.bad())
        throw unreadable(path);
    contents.resize(static_cast<std::size_t>(file.gcount()));
    return contents;
}

} // namespace

FlashMemory::FlashMemory(int size) : cells_(static_cast<std::size_t>(size), kErased) {}

void FlashMemory::load(std::span<const std::uint8_t> contents)
{
    erase();
    const auto count = std::min(contents.size(), cells_.size());
    std::copy_n(contents.begin(), count, cells_.begin());
}

void FlashMemory::erase()
{
    std::fill(cells_.begin(), cells_.end(), kErased);
}

bool FlashMemory::isBlank() const
{
    return std::all_of(cells_.begin(), cells_.end(), [](std::uint8_t cell) { return cell == kErased; });
}

void FlashMemory::program(std::uint32_t address, std::span<const std::uint8_t> data)
{
    auto cell = cells_.begin() + address;
    for (std::uint8_t byte : data)
        *cell++ &= byte;
}

bool FlashMemory::holds(std::uint32_t address, std::span<const std::uint8_t> data) const
{
    return std::equal(data.begin(), data.end(), cells_.begin() + address);
}

std::span<const std::uint8_t> FlashMemory::read(std::uint32_t address, int count) const
{
    return std::span<const std::uint8_t>(cells_).subspan(address, static_cast<std::size_t>(count));
}

std::vector<std::uint8_t> loadFlashFile(const std::string& path, std::size_t maxSize)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return {};
    if (error)
        throw unreadable(path);
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error("the flash file " + path + " is not a regular file");
    std::vector<std::uint8_t> contents = readAtMost(path, maxSize);
    if (contents.size() > maxSize)
        throw std::runtime_error("the flash file " + path + " holds more than the " + std::to_string(maxSize)
                                 + " bytes of the flash");
    return contents;
}

void saveFlashFile(const std::string& path, const std::vector<std::uint8_t>& contents)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write the flash file " + path);
}

} // namespace orvex::sim
