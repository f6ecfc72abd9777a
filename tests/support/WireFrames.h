#pragma once

#include "link/Frame.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvex::test {

// A reply as the PC would see it on the line.
struct WireReply {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;
    bool crcGood = false;
    std::size_t noiseBefore = 0; // bytes skipped before the first 0xAA 0x55

    std::uint8_t status() const { return payload.empty() ? 0xEE : payload[0]; }
};

std::vector<std::uint8_t> encodeRequest(CommandCode command, std::span<const std::uint8_t> payload = {});
// The first complete frame in bytes; nothing when there is none.
std::optional<WireReply> decodeReply(std::span<const std::uint8_t> bytes);

// A block request's payload: header (index, count, address), then data.
std::vector<std::uint8_t> blockPayload(std::uint16_t index, std::uint16_t count, std::uint32_t address,
                                       std::span<const std::uint8_t> data = {});
std::vector<std::uint8_t> dataBlock(std::uint32_t address, std::span<const std::uint8_t> data);
std::vector<std::uint8_t> readBlock(std::uint32_t address);
// count bytes that differ from block to block and from 0xFF.
std::vector<std::uint8_t> samplePattern(std::size_t count, std::uint8_t seed);

} // namespace orvex::test
