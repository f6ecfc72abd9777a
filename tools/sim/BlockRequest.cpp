#include "sim/BlockRequest.h"

#include "sim/SimulatedUnit.h"

namespace orvex::sim {

namespace {

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return readU16(bytes, offset) | static_cast<std::uint32_t>(readU16(bytes, offset + 2)) << 16;
}

std::optional<BlockRequest> parseHeader(std::span<const std::uint8_t> payload)
{
    if (payload.size() < BlockRequest::kHeaderSize)
        return std::nullopt;
    BlockRequest block;
    block.count = readU16(payload, BlockRequest::kCountOffset);
    block.address = readU32(payload, BlockRequest::kAddressOffset);
    block.header = payload.first(BlockRequest::kHeaderSize);
    block.data = payload.subspan(BlockRequest::kHeaderSize);
    return block;
}

bool insideFlash(const BlockRequest& block, int flashSize)
{
    // 64-bit sum: an address near 4 GiB must not wrap back into the flash.
    return std::uint64_t{block.address} + block.count <= static_cast<std::uint64_t>(flashSize);
}

} // namespace

std::optional<BlockRequest> parseDataBlock(std::span<const std::uint8_t> payload, int flashSize)
{
    auto block = parseHeader(payload);
    if (!block || block->count < 1 || block->count > SimulatedUnit::kBlockSize || block->data.size() != block->count
        || !insideFlash(*block, flashSize))
        return std::nullopt;
    return block;
}

std::optional<BlockRequest> parseReadBlock(std::span<const std::uint8_t> payload, int flashSize)
{
    auto block = parseHeader(payload);
    if (!block || block->count != SimulatedUnit::kBlockSize || !block->data.empty() || !insideFlash(*block, flashSize))
        return std::nullopt;
    return block;
}

} // namespace orvex::sim
