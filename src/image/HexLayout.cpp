#include "image/HexLayout.h"

#include "image/HexLineReader.h"
#include "image/HexRecord.h"
#include "image/RecordPlacement.h"

#include <algorithm>
#include <span>
#include <utility>

namespace orvex {

namespace {

// The image as it grows: room for at least the data placed so far, every
// byte kUnprogrammedByte until a record writes it.
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
            growByteBuffer(bytes_, std::max(end, doubled), kUnprogrammedByte);
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
