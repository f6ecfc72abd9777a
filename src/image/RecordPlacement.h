#pragma once

#include "image/HexRecord.h"

#include <cstddef>
#include <cstdint>

namespace orvex {

// Image offsets and sizes are signed 32-bit, so a record is placed only when
// it ends below 2^31; one reaching further adds nothing to the image.
inline constexpr std::uint64_t kImageAddressLimit = 0x80000000;

// The address base in force after record: an extended segment address record
// sets it to its value times 16, an extended linear address record to its
// value times 65536. One with fewer than two data bytes carries no value and
// leaves the base as it was, as do all other records.
std::uint64_t baseAfter(std::uint64_t base, const HexRecord& record);

// Calls place(offset, record) for every data record in file order, with
// offset = base + the record's own address, linear with no wrap at 64 KiB.
// Every placeable data record is placed, whatever comes before or after it:
// an end-of-file record does not end the file.
template <typename Place>
void forEachPlacedDataRecord(const HexRecordList& records, Place place)
{
    std::uint64_t base = 0;
    for (const auto& record : records) {
        base = baseAfter(base, record);
        if (record.recordType() != HexRecord::kDataRecord)
            continue;
        const std::uint64_t offset = base + record.address();
        if (offset + record.byteCount() < kImageAddressLimit)
            place(static_cast<std::size_t>(offset), record);
    }
}

} // namespace orvex
