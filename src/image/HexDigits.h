#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvex {

namespace detail {

inline constexpr std::uint8_t kNotHexDigit = 0xFF;

constexpr std::array<std::uint8_t, 256> makeHexDigitTable()
{
    std::array<std::uint8_t, 256> table{};
    table.fill(kNotHexDigit);
    for (int i = 0; i < 10; ++i)
        table[static_cast<std::size_t>('0' + i)] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table[static_cast<std::size_t>('A' + i)] = static_cast<std::uint8_t>(10 + i);
        table[static_cast<std::size_t>('a' + i)] = static_cast<std::uint8_t>(10 + i);
    }
    return table;
}

// A table lookup per character: a 4 MiB image is some eight million digits.
inline constexpr std::array<std::uint8_t, 256> kHexDigitValues = makeHexDigitTable();

} // namespace detail

// Reads every character of chars as one hexadecimal number, digits in either
// case. A malformed field must not throw a line away on its own (the checksum
// decides that), so reading stops at the first non-digit: "3G" is 3, "G3" is 0.
constexpr unsigned readHexField(std::string_view chars)
{
    unsigned value = 0;
    for (char c : chars) {
        const std::uint8_t digit = detail::kHexDigitValues[static_cast<unsigned char>(c)];
        if (digit == detail::kNotHexDigit)
            break;
        value = value * 16 + digit;
    }
    return value;
}

// The byte written as the two characters at pair.
constexpr std::uint8_t readHexPair(const char* pair)
{
    return static_cast<std::uint8_t>(readHexField({pair, 2}));
}

} // namespace orvex
