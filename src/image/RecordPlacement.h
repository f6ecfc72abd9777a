#pragma once

#include "image/HexRecord.h"
#include "image/LineRejection.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvex {

// Image offsets and sizes are signed 32-bit, so a record is placed only when
// it ends below 2^31; one reaching further adds nothing to the image.
inline constexpr std::uint64_t kImageAddressLimit = 0x80000000;

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
    std::optional<LineRejection> follow(const HexRecord& record);

    // Where the data of the data record followed last starts in the image.
    std::size_t dataOffset() const { return dataOffset_; }

private:
    std::optional<LineRejection> setBase(const HexRecord& record, std::uint64_t unit);
    std::optional<LineRejection> placeData(const HexRecord& record);

    std::uint64_t base_ = 0;
    std::size_t dataOffset_ = 0;
};

} // namespace orvex
