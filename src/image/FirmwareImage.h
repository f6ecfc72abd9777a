#pragma once

#include "image/HexRecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvex {

// The firmware file the operator picked: its bytes as read, and the data bytes
// the programmer writes into the chip and compares with it. A file whose name
// ends in "hex" (any case) is read as Intel HEX and its records laid out from
// address 0, with 0xFF wherever no record reaches; any other file is its own
// data, byte for byte.
class FirmwareImage {
public:
    // What a flash cell holds when nothing was written to it.
    static constexpr std::uint8_t kUnprogrammedByte = 0xFF;

    virtual ~FirmwareImage() = default;

    // Reads the file at path (UTF-8) and derives the data bytes from it.
    // Always returns 1; the outcome shows only in the content:
    // - a file that cannot be opened leaves the previous content in place;
    // - a file that opens but cannot be read or held whole leaves the image
    //   empty, so the new path never stands beside another file's data;
    // - data bytes that cannot be allocated leave the data empty.
    // Every load that reads the file replaces the data bytes, so a holder of
    // the old dataBytes() must fetch them again.
    int load(const std::string& path);

    // The path last given to load, also when that file could not be opened.
    const std::string& path() const { return path_; }
    std::span<const std::uint8_t> dataBytes() const { return dataBytes_; }
    int dataSize() const { return static_cast<int>(dataBytes_.size()); }
    std::span<const std::uint8_t> rawBytes() const { return rawBytes_; }
    int rawLength() const { return static_cast<int>(rawBytes_.size()); }
    // The accepted lines of the last HEX file; a binary load leaves them.
    const HexRecordList& records() const { return records_; }

private:
    void parseHexText();
    void clearRecords();
    int computeDataSize() const;
    void buildDataBytes(std::span<std::uint8_t> buffer) const;
    void layOutHexData();
    void copyRawData();
    void clearContent();

    std::string path_;
    std::vector<std::uint8_t> dataBytes_;
    HexRecordList records_;
    std::vector<std::uint8_t> rawBytes_;
};

} // namespace orvex
