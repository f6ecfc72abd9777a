#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvex {

namespace detail {

constexpr std::uint8_t kCrc8MaximReflectedPolynomial = 0x8C;

constexpr std::array<std::uint8_t, 256> makeCrc8MaximTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        auto crc = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint8_t>((crc >> 1) ^ kCrc8MaximReflectedPolynomial)
                            : static_cast<std::uint8_t>(crc >> 1);
        table[static_cast<std::size_t>(i)] = crc;
    }
    return table;
}

inline constexpr std::array<std::uint8_t, 256> kCrc8MaximTable = makeCrc8MaximTable();

} // namespace detail

// CRC-8/MAXIM (Dallas 1-Wire): polynomial x^8 + x^5 + x^4 + 1, processed
// reflected (0x8C), initial value 0, no final XOR. The table is built by the
// compiler from that rule rather than pasted in, so it cannot hold a typo.
class Crc8Maxim {
public:
    static constexpr std::uint8_t update(std::uint8_t crc, std::uint8_t byte)
    {
        return detail::kCrc8MaximTable[crc ^ byte];
    }

    static constexpr std::uint8_t compute(std::span<const std::uint8_t> bytes, std::uint8_t crc = 0)
    {
        for (std::uint8_t b : bytes)
            crc = update(crc, b);
        return crc;
    }
};

} // namespace orvex
