#pragma once

#include "image/LineRejection.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvex {

// One line of an Intel HEX file, read as a record:
//   :CCAAAATT<data pairs>SS
// byte count CC, load offset AAAA (high byte first), record type TT, then the
// data and the checksum SS, every byte as two hex digits. The record holds
// its bytes in place, with room for the longest record, so that one object
// can read a whole file line after line without allocating.
class HexRecord {
public:
    static constexpr std::uint8_t kDataRecord = 0x00;
    static constexpr std::uint8_t kEndOfFileRecord = 0x01;
    static constexpr std::uint8_t kExtendedSegmentAddressRecord = 0x02;
    static constexpr std::uint8_t kExtendedLinearAddressRecord = 0x04;
    static constexpr std::uint8_t kNoRecordType = 0xFF;

    static constexpr char kStartCode = ':';
    static constexpr std::size_t kAddressOffset = 3;
    static constexpr std::size_t kAddressLength = 4;
    // Byte count, two address bytes, type and checksum: the pairs every line has.
    static constexpr std::size_t kFramingPairs = 5;
    static constexpr std::size_t kMinLineLength = 1 + 2 * kFramingPairs;

    HexRecord() { clear(); }

    // Reads line as this record. The line is accepted when it starts with
    // ':', holds at least the pairs its byte count claims, and its last
    // complete pair is the checksum of the pairs before it (an odd last
    // character is not a pair). Neither the record type nor the digits are
    // checked: a field's value ends at its first non-digit. Returns why the
    // line is rejected, or nothing when it is accepted; a rejected line
    // leaves the record empty.
    std::optional<LineRejection> read(std::string_view line);

    std::uint8_t byteCount() const { return pairs_[kByteCountPair]; }
    std::uint16_t address() const { return address_; }
    std::uint8_t recordType() const { return pairs_[kRecordTypePair]; }
    std::span<const std::uint8_t> data() const { return {pairs_.data() + kDataPair, byteCount()}; }
    std::uint8_t checksum() const { return pairs_[kDataPair + byteCount()]; }

private:
    static constexpr std::size_t kByteCountPair = 0;
    static constexpr std::size_t kRecordTypePair = 3;
    static constexpr std::size_t kDataPair = 4;
    static constexpr std::size_t kMaxRecordPairs = kFramingPairs + 255;

    void clear();

    // The pairs after the colon as bytes, as far as a record can reach.
    std::array<std::uint8_t, kMaxRecordPairs> pairs_{};
    std::uint16_t address_ = 0;
};

} // namespace orvex
