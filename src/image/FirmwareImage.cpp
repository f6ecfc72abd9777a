#include "image/FirmwareImage.h"

#include "image/BufferAllocation.h"
#include "image/FileExtension.h"
#include "image/FileReading.h"
#include "image/HexLineReader.h"
#include "image/RecordPlacement.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace orvex {

int FirmwareImage::load(const std::string& path)
{
    path_ = path;
    FileContent file = readWholeFile(path);
    if (file.status == FileReadStatus::NotOpened)
        return 1;
    if (file.status == FileReadStatus::Unreadable) {
        clearContent();
        return 1;
    }
    rawBytes_ = std::move(file.bytes);
    if (extensionOf(path) == "hex") {
        parseHexText();
        layOutHexData();
    } else {
        copyRawData();
    }
    return 1;
}

void FirmwareImage::parseHexText()
{
    clearRecords();
    HexLineReader lines({reinterpret_cast<const char*>(rawBytes_.data()), rawBytes_.size()});
    while (const auto line = lines.next()) {
        if (line->empty() || !HexRecord::validate(*line))
            continue;
        // Built in place: a large image has hundreds of thousands of records.
        if (!records_.emplace_back().parse(*line))
            records_.pop_back();
    }
}

void FirmwareImage::clearRecords()
{
    records_.clear();
}

int FirmwareImage::computeDataSize() const
{
    std::size_t size = 0;
    forEachPlacedDataRecord(records_, [&size](std::size_t offset, const HexRecord& record) {
        size = std::max(size, offset + record.byteCount());
    });
    return static_cast<int>(size);
}

void FirmwareImage::buildDataBytes(std::span<std::uint8_t> buffer) const
{
    forEachPlacedDataRecord(records_, [buffer](std::size_t offset, const HexRecord& record) {
        // Nothing lands outside the buffer, also when it could not be allocated.
        if (offset + record.byteCount() <= buffer.size())
            std::ranges::copy(record.data(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    });
}

void FirmwareImage::layOutHexData()
{
    const auto size = static_cast<std::size_t>(computeDataSize());
    // The old buffer goes first: two large images need not fit side by side.
    dataBytes_ = {};
    dataBytes_ = allocateOrEmpty([size] { return std::vector<std::uint8_t>(size, kUnprogrammedByte); });
    buildDataBytes(dataBytes_);
}

void FirmwareImage::copyRawData()
{
    dataBytes_ = {};
    dataBytes_ = allocateOrEmpty([this] { return rawBytes_; });
}

void FirmwareImage::clearContent()
{
    rawBytes_ = {};
    dataBytes_ = {};
    clearRecords();
}

} // namespace orvex
