#include "image/HexTextWriter.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace orvex::test {

namespace {

void appendPair(std::string& text, std::uint8_t byte, unsigned& sum)
{
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", byte);
    text += pair;
    sum += byte;
}

std::string addressLine(std::uint8_t type, std::uint16_t value)
{
    const Bytes data = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return hexLine(type, 0, data);
}

} // namespace

std::string hexLine(std::uint8_t type, std::uint16_t address, std::span<const std::uint8_t> data)
{
    std::string text = ":";
    unsigned sum = 0;
    appendPair(text, static_cast<std::uint8_t>(data.size()), sum);
    appendPair(text, static_cast<std::uint8_t>(address >> 8), sum);
    appendPair(text, static_cast<std::uint8_t>(address), sum);
    appendPair(text, type, sum);
    for (std::uint8_t byte : data)
        appendPair(text, byte, sum);
    unsigned ignored = 0;
    appendPair(text, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)), ignored);
    return text;
}

std::string dataLine(std::uint16_t address, std::span<const std::uint8_t> data)
{
    return hexLine(0x00, address, data);
}

std::string extendedSegmentLine(std::uint16_t segment)
{
    return addressLine(0x02, segment);
}

std::string extendedLinearLine(std::uint16_t upperAddress)
{
    return addressLine(0x04, upperAddress);
}

std::string endOfFileLine()
{
    return hexLine(0x01, 0, {});
}

std::string randomImageHexText(std::size_t imageSize, std::uint32_t seed)
{
    constexpr std::size_t kSegmentSize = 0x10000;
    constexpr std::size_t kRecordSize = 16;
    std::mt19937 rng(seed);
    std::string text;
    text.reserve(imageSize / kRecordSize * 45);
    Bytes record(kRecordSize);
    for (std::size_t start = 0; start < imageSize; start += kSegmentSize) {
        text += extendedLinearLine(static_cast<std::uint16_t>(start / kSegmentSize)) + "\n";
        for (std::size_t offset = 0; offset < std::min(kSegmentSize, imageSize - start); offset += kRecordSize) {
            std::ranges::generate(record, [&rng] { return static_cast<std::uint8_t>(rng()); });
            text += dataLine(static_cast<std::uint16_t>(offset), record) + "\n";
        }
    }
    return text + endOfFileLine() + "\n";
}

Bytes countingBytes(std::uint8_t first, std::size_t count)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

} // namespace orvex::test
