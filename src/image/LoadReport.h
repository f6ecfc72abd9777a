#pragma once

#include "image/FileReading.h"
#include "image/LineRejection.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvex {

struct RejectedLine {
    std::size_t lineNumber = 0; // 1-based, counted in line feeds
    LineRejection reason = LineRejection::NotARecord;

    bool operator==(const RejectedLine&) const = default;
};

// What the last FirmwareImage::load did with its file: how the file was read
// (the outcome fields) and, for a HEX file, which lines it skipped and why.
// Before the first load it says that nothing was opened.
struct LoadReport : FileReadOutcome {
    // Only the first lines are kept in detail, so that a large file of junk
    // cannot make the report large; rejectedLineCount counts them all.
    static constexpr std::size_t kMaxDetailedRejections = 100;

    bool isHex = false; // the file was read as Intel HEX text
    std::vector<RejectedLine> rejectedLines;
    std::size_t rejectedLineCount = 0;
    // Records that went into the image, end-of-file and address records
    // included. With rejectedLineCount they make up every non-blank line.
    std::size_t recordCount = 0;
    bool endRecordSeen = false; // an end-of-file record (type 01) was read

    void addRejection(std::size_t lineNumber, LineRejection reason);
};

// Readable English names, e.g. "bad checksum", "fifo", "not a regular file".
std::string describe(FileReadStatus status);
std::string describe(FileKind kind);
std::string describe(LineRejection reason);
// How the file was read, in a few words with their details, e.g.
// "could not be opened: No such file or directory" or
// "not a regular file but a fifo".
std::string describeReading(const FileReadOutcome& outcome);

} // namespace orvex
