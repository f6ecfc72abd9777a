#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvex {

// One accepted line of an Intel HEX file:
//   :CCAAAATT<data pairs>SS
// byte count CC, load offset AAAA (high byte first), record type TT, then the
// data and the checksum SS, every byte as two hex digits. The line itself is
// not kept: nothing reads it after parsing, and a copy of every line took two
// thirds of the load time of a large image.
class HexRecord {
public:
    static constexpr std::uint8_t kDataRecord = 0x00;
    static constexpr std::uint8_t kEndOfFileRecord = 0x01;
    static constexpr std::uint8_t kExtendedSegmentAddressRecord = 0x02;
    static constexpr std::uint8_t kExtendedLinearAddressRecord = 0x04;
    static constexpr std::uint8_t kNoRecordType = 0xFF;

    static constexpr char kStartCode = ':';
    static constexpr int kByteCountOffset = 1;
    static constexpr int kAddressOffset = 3;
    static constexpr int kAddressLength = 4;
    static constexpr int kRecordTypeOffset = 7;
    static constexpr int kDataOffset = 9;
    // Byte count, two address bytes, type and checksum: the pairs every line has.
    static constexpr int kFramingPairs = 5;
    static constexpr int kMinLineLength = 1 + 2 * kFramingPairs;

    HexRecord() = default;
    // The virtual destructor would otherwise make the record list copy every
    // record's data each time it grows.
    HexRecord(HexRecord&&) noexcept = default;
    HexRecord& operator=(HexRecord&&) noexcept = default;
    virtual ~HexRecord() = default;

    // True when line starts with ':', holds at least the pairs its byte count
    // claims, and its last complete pair is the checksum of the pairs before
    // it. Neither the record type nor the digits themselves are checked.
    static bool validate(std::string_view line);
    // Reads the fields of an accepted line; false when the line is too short
    // for its byte count, so that nothing past its end is ever read.
    bool parse(std::string_view line);

    std::uint8_t byteCount() const { return byteCount_; }
    std::uint16_t address() const { return address_; }
    std::uint8_t recordType() const { return recordType_; }
    std::span<const std::uint8_t> data() const { return data_; }
    std::uint8_t checksum() const { return checksum_; }

private:
    static bool holdsClaimedPairs(std::string_view line);

    std::uint8_t byteCount_ = 0;
    std::uint16_t address_ = 0;
    std::uint8_t recordType_ = kNoRecordType;
    std::vector<std::uint8_t> data_;
    std::uint8_t checksum_ = 0;
};

// The accepted records of a HEX file, in file order.
using HexRecordList = std::vector<HexRecord>;

} // namespace orvex
