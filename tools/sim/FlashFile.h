#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::sim {

// The flash image kept in a plain binary file between runs of orvex-sim.

// The file's bytes; empty for a file that does not exist yet. Throws
// std::runtime_error for a file that cannot be read, is not a regular file or
// holds more than maxSize bytes; no more than maxSize + 1 bytes are read.
std::vector<std::uint8_t> loadFlashFile(const std::string& path, std::size_t maxSize);
// Throws std::runtime_error when the file cannot be written whole.
void saveFlashFile(const std::string& path, const std::vector<std::uint8_t>& contents);

} // namespace orvex::sim
