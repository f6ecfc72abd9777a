#include "image/RecordPlacement.h"

namespace orvex {

namespace {

constexpr std::uint64_t kSegmentUnit = 16;
constexpr std::uint64_t kLinearUnit = 65536;

} // namespace

std::optional<LineRejection> RecordPlacement::follow(const HexRecord& record)
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

std::optional<LineRejection> RecordPlacement::setBase(const HexRecord& record, std::uint64_t unit)
{
    const auto data = record.data();
    if (data.size() < 2)
        return LineRejection::AddressWithoutValue;
    base_ = (data[0] * 256u + data[1]) * unit;
    return std::nullopt;
}

std::optional<LineRejection> RecordPlacement::placeData(const HexRecord& record)
{
    const std::uint64_t offset = base_ + record.address();
    if (offset + record.byteCount() >= kImageAddressLimit)
        return LineRejection::BeyondAddressLimit;
    dataOffset_ = static_cast<std::size_t>(offset);
    return std::nullopt;
}

} // namespace orvex
