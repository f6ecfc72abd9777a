#include "image/HexLayout.h"

#include "image/HexLineReader.h"
#include "image/HexRecord.h"
#include "image/LineRejection.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace orvex {

namespace {

// Image offsets and sizes are signed 32-bit, so a record is placed only when
// it ends below 2^31; one reaching further adds nothing to the image.
constexpr std::uint64_t kImageAddressLimit = 0x80000000;
constexpr std::uint64_t kSegmentUnit = 16;
constexpr std::uint64_t kLinearUnit = 65536;

// Follows the records of a HEX file in file order and says where each data
// record lands in the image: at the address base in force plus its own
// address, linear with no wrap at 64 KiB. An extended segment address record
// sets the base to its value times 16, an extended linear address record to
// its value times 65536; every other record leaves it, and an end-of-file
// record does not end the file.
class RecordPlacement {
public:
    // Takes record into account. Says why it adds nothing to the image when
    // it is left out: a data record ending at 2^31 or beyond, or an address
    // record without the two data bytes of its value (the base stays).
    std::optional<LineRejection> follow(const HexRecord& record)
    {
        switch (record.recordType()) {
        case HexRecord::kDataRecord:
            return placeData(record);
        case HexRecord::kExtendedSegmentAddressRecord:
            return setBase(record, kSegmentUnit);
        case HexRecord::kExtendedLinearAddressRecord:
            return setBase(record, kLinearUnit);
        default:
            return std::nullopt;
        }
    }

    // Where the data of the data record followed last starts in the image.
    std::size_t dataOffset() const { return dataOffset_; }

private:
    std::optional<LineRejection> setBase(const HexRecord& record, std::uint64_t unit)
    {
        const auto data = record.data();
        if (data.size() < 2)
            return LineRejection::AddressWithoutValue;
        base_ = (data[0] * 256u + data[1]) * unit;
        return std::nullopt;
    }

    std::optional<LineRejection> placeData(const HexRecord& record)
    {
        const std::uint64_t offset = base_ + record.address();
        if (offset + record.byteCount() >= kImageAddressLimit)
            return LineRejection::BeyondAddressLimit;
        dataOffset_ = static_cast<std::size_t>(offset);
        return std::nullopt;
    }

    std::uint64_t base_ = 0;
    std::size_t dataOffset_ = 0;
};

// The image as it grows: room for at least the data placed so far, every
// byte kErasedByte until a record writes it.
class GrowingImage {
public:
    void place(std::size_t offset, std::span<const std::uint8_t> data)
    {
        const std::size_t end = offset + data.size();
        // Doubling the room keeps the copies made while growing below the
        // image's size, and most records need no growing at all. No image
        // reaches past the address limit, so neither does the room.
        if (end > bytes_.size()) {
            const std::size_t doubled = std::min<std::size_t>(2 * bytes_.size(), kImageAddressLimit);
            growByteBuffer(bytes_, std::max(end, doubled), kErasedByte);
        }
        dataEnd_ = std::max(dataEnd_, end);
        std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    // The image up to its highest data byte, without the room to grow.
    ByteBuffer release()
    {
        if (dataEnd_ == bytes_.size())
            return std::move(bytes_);
        ByteBuffer exact = copiedByteBuffer({bytes_.data(), dataEnd_});
        bytes_ = {};
        return exact;
    }

private:
    ByteBuffer bytes_;
    std::size_t dataEnd_ = 0;
};

void noteAccepted(LoadReport& report, const HexRecord& record)
{
    ++report.recordCount;
    if (record.recordType() == HexRecord::kEndOfFileRecord)
        report.endRecordSeen = true;
}

} // namespace

ByteBuffer layOutHexText(std::string_view text, LoadReport& report)
{
    GrowingImage image;
    HexLineReader lines(text);
    HexRecord record;
    RecordPlacement placement;
    while (const auto line = lines.next()) {
        if (line->empty())
            continue;
        auto rejection = record.read(*line);
        if (!rejection)
            rejection = placement.follow(record);
        if (rejection) {
            report.addRejection(lines.lineNumber(), *rejection);
            continue;
        }
        noteAccepted(report, record);
        if (record.recordType() == HexRecord::kDataRecord)
            image.place(placement.dataOffset(), record.data());
    }
    return image.release();
}

} // namespace orvex
