#include "support/WireFrames.h"

#include "link/Crc8Maxim.h"

#include <algorithm>

namespace orvex::test {

std::vector<std::uint8_t> encodeRequest(CommandCode command, std::span<const std::uint8_t> payload)
{
    Frame frame;
    frame.setCommand(command);
    frame.setLength(static_cast<int>(payload.size()));
    std::copy(payload.begin(), payload.end(), frame.payloadData());
    const auto wire = frame.seal();
    return {wire.begin(), wire.end()};
}

std::optional<WireReply> decodeReply(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t sync[] = {Frame::kSync1, Frame::kSync2};
    const auto start = std::search(bytes.begin(), bytes.end(), std::begin(sync), std::end(sync));
    const auto header = static_cast<std::size_t>(start - bytes.begin());
    if (bytes.size() < header + Frame::kOverhead)
        return std::nullopt;
    const std::size_t length = bytes[header + Frame::kLengthOffset];
    if (bytes.size() < header + length + Frame::kOverhead)
        return std::nullopt;

    WireReply reply;
    reply.noiseBefore = header;
    reply.command = bytes[header + Frame::kCommandOffset];
    const auto payload = bytes.subspan(header + Frame::kPayloadOffset, length);
    reply.payload.assign(payload.begin(), payload.end());
    reply.crcGood = Crc8Maxim::compute(bytes.subspan(header + 1, length + 4)) == 0;
    return reply;
}

namespace {

void appendLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> blockPayload(std::uint16_t index, std::uint16_t count, std::uint32_t address,
                                       std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> payload;
    payload.reserve(8 + data.size());
    appendLittleEndian(payload, index, 2);
    appendLittleEndian(payload, count, 2);
    appendLittleEndian(payload, address, 4);
    payload.insert(payload.end(), data.begin(), data.end());
    return payload;
}

std::vector<std::uint8_t> dataBlock(std::uint32_t address, std::span<const std::uint8_t> data)
{
    return blockPayload(static_cast<std::uint16_t>(address / 64), static_cast<std::uint16_t>(data.size()), address,
                        data);
}

std::vector<std::uint8_t> readBlock(std::uint32_t address)
{
    return blockPayload(static_cast<std::uint16_t>(address / 64), 64, address);
}

std::vector<std::uint8_t> samplePattern(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>((seed + i * 37) % 251);
    return bytes;
}

} // namespace orvex::test
