#include "image/HexDigits.h"

namespace orvex::detail {

namespace {

std::array<std::uint8_t, 65536> makeHexPairTable()
{
    std::array<std::uint8_t, 65536> table{};
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
            table[pairKey(pair)] = static_cast<std::uint8_t>(readHexField({pair, 2}));
        }
    }
    return table;
}

} // namespace

const std::array<std::uint8_t, 65536> kHexPairValues = makeHexPairTable();

} // namespace orvex::detail
