#include "sim/FlashMemory.h"

#include <algorithm>

namespace orvex::sim {

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

} // namespace orvex::sim
