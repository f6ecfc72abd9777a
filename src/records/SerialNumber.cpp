#include "records/SerialNumber.h"

#include "engine/Sha256.h"

#include <algorithm>
#include <limits>

namespace orvex {

namespace {

// One below the largest signed 64-bit number, so the next one can be stored too.
constexpr std::int64_t kLargestStored = std::numeric_limits<std::int64_t>::max() - 1;

bool isBinary(SerialFormat format)
{
    return format == SerialFormat::LittleEndian || format == SerialFormat::BigEndian;
}

// base^digits - 1, or kLargestStored when that is larger.
std::int64_t largestWithDigits(std::int64_t base, std::uint64_t digits)
{
    std::int64_t largest = 0;
    for (std::uint64_t i = 0; i < digits; ++i) {
        if (largest > (kLargestStored - (base - 1)) / base)
            return kLargestStored;
        largest = largest * base + (base - 1);
    }
    return largest;
}

std::vector<std::uint8_t> digitsOf(std::int64_t number, std::uint64_t length, int base)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<std::uint8_t> bytes(length, '0');
    auto value = static_cast<std::uint64_t>(number);
    for (auto place = bytes.rbegin(); place != bytes.rend() && value != 0;
         ++place, value /= static_cast<unsigned>(base))
        *place = static_cast<std::uint8_t>(kDigits[value % static_cast<unsigned>(base)]);
    return bytes;
}

} // namespace

std::optional<SerialFormat> parseSerialFormat(std::string_view word)
{
    if (word == "dec")
        return SerialFormat::Decimal;
    if (word == "hex")
        return SerialFormat::Hex;
    if (word == "le")
        return SerialFormat::LittleEndian;
    if (word == "be")
        return SerialFormat::BigEndian;
    return std::nullopt;
}

std::int64_t SerialNumbering::lastNumber() const
{
    return last.value_or(largestSerial(format, length));
}

std::int64_t largestSerial(SerialFormat format, std::uint64_t length)
{
    switch (format) {
    case SerialFormat::Decimal:
        return largestWithDigits(10, length);
    case SerialFormat::Hex:
        return largestWithDigits(16, length);
    case SerialFormat::LittleEndian:
    case SerialFormat::BigEndian:
        break;
    }
    return largestWithDigits(256, length);
}

std::optional<std::string> checkSerialNumbering(const SerialNumbering& numbering, std::uint64_t flashSize)
{
    if (numbering.length == 0 || (isBinary(numbering.format) && numbering.length > 8))
        return "SERIAL_LENGTH " + std::to_string(numbering.length) + " does not suit SERIAL_FORMAT "
               + (isBinary(numbering.format) ? "le/be (1 to 8 bytes)" : "dec/hex (at least 1 byte)");
    if (numbering.address >= flashSize || numbering.length > flashSize - numbering.address)
        return "the serial area " + std::to_string(numbering.address) + " to "
               + std::to_string(numbering.address + numbering.length - 1) + " lies outside the "
               + std::to_string(flashSize) + "-byte flash";
    const std::int64_t largest = largestSerial(numbering.format, numbering.length);
    if (numbering.first < 0 || numbering.first > largest)
        return "SERIAL_FIRST " + std::to_string(numbering.first) + " does not fit the format (0 to "
               + std::to_string(largest) + ")";
    if (numbering.last && (*numbering.last > largest || *numbering.last < numbering.first))
        return "SERIAL_LAST " + std::to_string(*numbering.last) + " does not fit the format (SERIAL_FIRST to "
               + std::to_string(largest) + ")";
    return std::nullopt;
}

std::vector<std::uint8_t> encodeSerial(const SerialNumbering& numbering, std::int64_t number)
{
    switch (numbering.format) {
    case SerialFormat::Decimal:
        return digitsOf(number, numbering.length, 10);
    case SerialFormat::Hex:
        return digitsOf(number, numbering.length, 16);
    case SerialFormat::LittleEndian:
    case SerialFormat::BigEndian:
        break;
    }
    std::vector<std::uint8_t> bytes(numbering.length);
    auto value = static_cast<std::uint64_t>(number);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
    if (numbering.format == SerialFormat::BigEndian)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

std::shared_ptr<const RunImage> numberedImage(const RunImage& image, const SerialNumbering& numbering,
                                              std::int64_t number)
{
    auto numbered = std::make_shared<RunImage>(image);
    const std::size_t end = static_cast<std::size_t>(numbering.address + numbering.length);
    if (numbered->bytes.size() < end)
        numbered->bytes.resize(end, 0xFF);
    const std::vector<std::uint8_t> serial = encodeSerial(numbering, number);
    std::copy(serial.begin(), serial.end(), numbered->bytes.begin() + static_cast<std::ptrdiff_t>(numbering.address));
    numbered->sha256 = sha256Hex(numbered->bytes);
    return numbered;
}

} // namespace orvex
