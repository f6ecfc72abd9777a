#include "image/RecordPlacement.h"

namespace orvex {

namespace {

constexpr std::uint64_t kSegmentUnit = 16;
constexpr std::uint64_t kLinearUnit = 65536;

} // namespace

std::uint64_t baseAfter(std::uint64_t base, const HexRecord& record)
{
    const auto data = record.data();
    if (data.size() < 2)
        return base;
    const std::uint64_t value = data[0] * 256u + data[1];
    switch (record.recordType()) {
    case HexRecord::kExtendedSegmentAddressRecord:
        return value * kSegmentUnit;
    case HexRecord::kExtendedLinearAddressRecord:
        return value * kLinearUnit;
    default:
        return base;
    }
}

} // namespace orvex
