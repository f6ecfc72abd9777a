#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orvex::sim {

// The 8-byte header that starts every block request (block index, data
// count, address, all little-endian), followed by the data of program and
// verify blocks. The unit goes by the address alone; the index is only echoed
// back in read replies, as part of the header.
struct BlockRequest {
    static constexpr int kHeaderSize = 8;
    static constexpr int kCountOffset = 2;
    static constexpr int kAddressOffset = 4;

    std::uint16_t count = 0;
    std::uint32_t address = 0;
    std::span<const std::uint8_t> header;
    std::span<const std::uint8_t> data;
};

// A program or verify block: 1 to 64 data bytes, exactly as many as the
// header counts, all inside the flash. Anything else is no block.
std::optional<BlockRequest> parseDataBlock(std::span<const std::uint8_t> payload, int flashSize);
// A read block: a bare header asking for one whole block inside the flash.
std::optional<BlockRequest> parseReadBlock(std::span<const std::uint8_t> payload, int flashSize);

} // namespace orvex::sim
