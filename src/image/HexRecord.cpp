#include "image/HexRecord.h"

#include "image/HexDigits.h"

#include <algorithm>

namespace orvex {

namespace {

// Complete character pairs after the colon; an odd last character is not one.
std::size_t pairCount(std::string_view line)
{
    return (line.size() - 1) / 2;
}

// Why the rules turned down a line that starts with ':'. The first fault a
// reader would fix comes first: a non-digit makes every later reading of
// the line meaningless.
LineRejection faultOf(std::string_view line)
{
    const std::string_view pairText = line.substr(1, 2 * pairCount(line));
    if (!std::ranges::all_of(pairText, isHexDigit))
        return LineRejection::BadCharacter;
    if (line.size() < HexRecord::kMinLineLength)
        return LineRejection::TooShort;
    if (readHexPair(line.data() + 1) + HexRecord::kFramingPairs > pairCount(line))
        return LineRejection::ByteCountBeyondLine;
    return LineRejection::BadChecksum;
}

} // namespace

std::optional<LineRejection> HexRecord::read(std::string_view line)
{
    if (line.empty() || line.front() != kStartCode) {
        clear();
        return LineRejection::NotARecord;
    }
    const std::size_t pairs = pairCount(line);
    const char* pairText = line.data() + 1;
    const std::size_t kept = std::min(pairs, kMaxRecordPairs);
    unsigned sum = 0;
    for (std::size_t pair = 0; pair < kept; ++pair) {
        pairs_[pair] = readHexPair(pairText + 2 * pair);
        sum += pairs_[pair];
    }
    // Pairs beyond the longest record only count towards the checksum.
    for (std::size_t pair = kept; pair < pairs; ++pair)
        sum += readHexPair(pairText + 2 * pair);
    const bool accepted =
        line.size() >= kMinLineLength && byteCount() + kFramingPairs <= pairs && static_cast<std::uint8_t>(sum) == 0;
    if (!accepted) {
        const LineRejection fault = faultOf(line);
        clear();
        return fault;
    }
    address_ = static_cast<std::uint16_t>(readHexField(line.substr(kAddressOffset, kAddressLength)));
    return std::nullopt;
}

void HexRecord::clear()
{
    pairs_[kByteCountPair] = 0;
    pairs_[kRecordTypePair] = kNoRecordType;
    pairs_[kDataPair] = 0;
    address_ = 0;
}

} // namespace orvex
