#pragma once

#include "notify/RunEvents.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// How a unit's serial number is written into its flash: dec and hex as
// ASCII digits (hex upper-case), zero-padded to the length; le and be as an
// unsigned binary number of 1 to 8 bytes.
enum class SerialFormat { Decimal, Hex, LittleEndian, BigEndian };

std::optional<SerialFormat> parseSerialFormat(std::string_view word);

struct SerialNumbering {
    std::uint64_t address = 0;
    std::uint64_t length = 0;
    SerialFormat format = SerialFormat::Decimal;
    std::int64_t first = 0;
    std::optional<std::int64_t> last; // the largest the format holds when none
    bool reuseOnFailure = false;

    std::int64_t lastNumber() const;
};

// The largest number the format holds in length bytes, and never more than
// the records database keeps (a signed 64-bit number, less one).
std::int64_t largestSerial(SerialFormat format, std::uint64_t length);

// Why the serial area or range cannot be used with a flash of flashSize
// bytes; none when it can.
std::optional<std::string> checkSerialNumbering(const SerialNumbering& numbering, std::uint64_t flashSize);

// The bytes number is written as; the number must fit (checkSerialNumbering).
std::vector<std::uint8_t> encodeSerial(const SerialNumbering& numbering, std::int64_t number);

// A copy of the image with number written at its address, an image that
// ends before the area extended with 0xFF; its digest is the copy's.
std::shared_ptr<const RunImage> numberedImage(const RunImage& image, const SerialNumbering& numbering,
                                              std::int64_t number);

} // namespace orvex
