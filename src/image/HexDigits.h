#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

constexpr bool isHexDigit(char c)
{
    return detail::kHexDigitValues[static_cast<unsigned char>(c)] != detail::kNotHexDigit;
}

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

namespace detail {

// Two characters as one 16-bit key, in the machine's byte order, so that
// reading the key of a pair is a single load.
inline std::uint16_t pairKey(const char* pair)
{
    std::uint16_t key = 0;
    std::memcpy(&key, pair, sizeof key);
    return key;
}

// Every two-character pair's value under readHexField's rule, by pairKey, so
// that a byte of a line costs one lookup: the loader's inner loop reads
// millions. Built when the program starts.
extern const std::array<std::uint8_t, 65536> kHexPairValues;

} // namespace detail

// The byte written as the two characters at pair.
inline std::uint8_t readHexPair(const char* pair)
{
    return detail::kHexPairValues[detail::pairKey(pair)];
}

} // namespace orvex
