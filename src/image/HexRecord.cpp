#include "image/HexRecord.h"

#include "image/HexDigits.h"

#include <cstddef>

namespace orvex {

namespace {

// Complete character pairs after the colon; an odd last character is not one.
int pairCount(std::string_view line)
{
    return static_cast<int>(line.size() - 1) / 2;
}

// Pair 1 is the byte count, right after the colon.
std::uint8_t pairAt(std::string_view line, int pair)
{
    return readHexPair(line.data() + 2 * pair - 1);
}

} // namespace

bool HexRecord::holdsClaimedPairs(std::string_view line)
{
    if (line.size() < kMinLineLength)
        return false;
    return pairAt(line, 1) + kFramingPairs <= pairCount(line);
}

bool HexRecord::validate(std::string_view line)
{
    if (line.empty() || line.front() != kStartCode || !holdsClaimedPairs(line))
        return false;
    const int checksumPair = pairCount(line);
    unsigned sum = 0;
    for (int pair = 1; pair < checksumPair; ++pair)
        sum += pairAt(line, pair);
    return static_cast<std::uint8_t>(sum + pairAt(line, checksumPair)) == 0;
}

bool HexRecord::parse(std::string_view line)
{
    if (!holdsClaimedPairs(line))
        return false;
    byteCount_ = readHexPair(line.data() + kByteCountOffset);
    address_ = static_cast<std::uint16_t>(readHexField(line.substr(kAddressOffset, kAddressLength)));
    recordType_ = readHexPair(line.data() + kRecordTypeOffset);
    data_.resize(byteCount_);
    for (std::size_t i = 0; i < data_.size(); ++i)
        data_[i] = readHexPair(line.data() + kDataOffset + 2 * i);
    checksum_ = readHexPair(line.data() + kDataOffset + 2 * byteCount_);
    return true;
}

} // namespace orvex
