#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvex::test {

using Bytes = std::vector<std::uint8_t>;

// One Intel HEX record as text, with the correct checksum and no line end,
// written independently of the loader so that the two can check each other.
std::string hexLine(std::uint8_t type, std::uint16_t address, std::span<const std::uint8_t> data);

std::string dataLine(std::uint16_t address, std::span<const std::uint8_t> data);
std::string extendedSegmentLine(std::uint16_t segment);
std::string extendedLinearLine(std::uint16_t upperAddress);
std::string endOfFileLine();

// A whole file of imageSize random bytes in 16-byte records, an extended
// linear address record before every 64 KiB, as a compiler's output for a
// large image looks. The same seed gives the same file.
std::string randomImageHexText(std::size_t imageSize, std::uint32_t seed);

// count bytes counting up from first, wrapping at 256: data that shows where
// each byte came from.
Bytes countingBytes(std::uint8_t first, std::size_t count);

} // namespace orvex::test
