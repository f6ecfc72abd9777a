#include "image/LoadReport.h"

namespace orvex {

void LoadReport::addRejection(std::size_t lineNumber, LineRejection reason)
{
    ++rejectedLineCount;
    if (rejectedLines.size() < kMaxDetailedRejections)
        rejectedLines.push_back({lineNumber, reason});
}

std::string describe(FileReadStatus status)
{
    switch (status) {
    case FileReadStatus::Read:
        return "read";
    case FileReadStatus::NotOpened:
        return "could not be opened";
    case FileReadStatus::NotRegularFile:
        return "not a regular file";
    case FileReadStatus::TooLarge:
        return "too large to hold in memory";
    case FileReadStatus::ReadFailed:
        return "could not be read";
    }
    return "unknown read status";
}

std::string describe(FileKind kind)
{
    switch (kind) {
    case FileKind::Unknown:
        return "unknown kind of file";
    case FileKind::Regular:
        return "regular file";
    case FileKind::Directory:
        return "directory";
    case FileKind::Fifo:
        return "fifo";
    case FileKind::CharacterDevice:
        return "character device";
    case FileKind::BlockDevice:
        return "block device";
    case FileKind::Socket:
        return "socket";
    case FileKind::Other:
        return "special file";
    }
    return "unknown kind of file";
}

std::string describe(LineRejection reason)
{
    switch (reason) {
    case LineRejection::NotARecord:
        return "not a record (no ':' at the start)";
    case LineRejection::BadCharacter:
        return "bad character (not a hex digit)";
    case LineRejection::TooShort:
        return "too short for a record";
    case LineRejection::ByteCountBeyondLine:
        return "byte count longer than the line";
    case LineRejection::BadChecksum:
        return "bad checksum";
    case LineRejection::BeyondAddressLimit:
        return "record ends at or beyond 2 GiB";
    case LineRejection::AddressWithoutValue:
        return "address record without its two-byte value";
    }
    return "unknown reason";
}

std::string describeReading(const FileReadOutcome& outcome)
{
    std::string text = describe(outcome.readStatus);
    if (outcome.readStatus == FileReadStatus::NotRegularFile)
        text += " but a " + describe(outcome.fileKind);
    if (!outcome.systemReason.empty())
        text += ": " + outcome.systemReason;
    return text;
}

} // namespace orvex
