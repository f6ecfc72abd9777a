#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvex::sim {

// The target's flash as the unit sees it. Erasing sets every bit; programming
// can only clear bits, so writing over old data leaves the AND of both, the way
// real flash cells behave.
class FlashMemory {
public:
    static constexpr std::uint8_t kErased = 0xFF;

    explicit FlashMemory(int size);

    const std::vector<std::uint8_t>& contents() const { return cells_; }
    // Loads contents from address 0; cells beyond them are erased.
    void load(std::span<const std::uint8_t> contents);

    void erase();
    bool isBlank() const;
    void program(std::uint32_t address, std::span<const std::uint8_t> data);
    bool holds(std::uint32_t address, std::span<const std::uint8_t> data) const;
    std::span<const std::uint8_t> read(std::uint32_t address, int count) const;

private:
    std::vector<std::uint8_t> cells_;
};

} // namespace orvex::sim
