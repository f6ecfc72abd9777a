#pragma once

#include "image/ByteBuffer.h"
#include "image/LoadReport.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvex {

// The firmware file the operator picked: its bytes as read, and the data bytes
// the programmer writes into the chip and compares with it. A file whose name
// ends in "hex" (any case) is read as Intel HEX and its records laid out from
// address 0, with 0xFF wherever no record reaches; any other file is its own
// data, byte for byte.
class FirmwareImage {
public:
    // Reads the file at path (UTF-8) and derives the data bytes from it.
    // Always returns 1 and never throws; the outcome shows in the content and
    // in loadReport():
    // - a file that cannot be opened leaves the previous content in place;
    // - anything else that is not read whole (not a regular file, too large,
    //   a failed read, memory running out) leaves the image empty, so the new
    //   path never stands beside another file's data;
    // - HEX lines that the rules reject are skipped, and a HEX file without
    //   data gives no data bytes.
    // Every load that reads the file replaces the data bytes, so a holder of
    // the old dataBytes() must fetch them again.
    int load(const std::string& path);

    // The path last given to load, also when that file could not be opened.
    const std::string& path() const { return path_; }
    std::span<const std::uint8_t> dataBytes() const { return dataBytes_; }
    int dataSize() const { return static_cast<int>(dataBytes_.size()); }
    std::span<const std::uint8_t> rawBytes() const { return rawBytes_; }
    int rawLength() const { return static_cast<int>(rawBytes_.size()); }
    // What the last load did with its file.
    const LoadReport& loadReport() const { return report_; }

private:
    void readFile(const std::string& path);
    void layOutHexData();
    void clearContent();

    std::string path_;
    ByteBuffer dataBytes_;
    ByteBuffer rawBytes_;
    LoadReport report_;
};

// "hex" or "bin" when the path's last three characters spell one of them in
// any letter case, else empty. No dot is looked for: dump_hex counts as HEX,
// image.ihx does not.
std::string extensionOf(std::string_view path);

} // namespace orvex
