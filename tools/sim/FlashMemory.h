#pragma once

#include <cstdint>
#include <span>
#include <string>
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

// The flash's contents kept in a plain binary file between runs of orvex-sim.

// The file's bytes; empty for a file that does not exist yet. Throws
// std::runtime_error for a file that cannot be read, is not a regular file or
// holds more than maxSize bytes; no more than maxSize + 1 bytes are read.
std::vector<std::uint8_t> loadFlashFile(const std::string& path, std::size_t maxSize);
// Throws std::runtime_error when the file cannot be written whole.
void saveFlashFile(const std::string& path, const std::vector<std::uint8_t>& contents);

} // namespace orvex::sim
