#include "link/Frame.h"

#include "link/Crc8Maxim.h"

namespace orvex {

std::span<const std::uint8_t> Frame::seal()
{
    bytes_[kSync1Offset] = kSync1;
    bytes_[kSync2Offset] = kSync2;
    // The first sync byte is not covered: the CRC starts at the 0x55.
    const auto covered =
        std::span<const std::uint8_t>(bytes_).subspan(kSync2Offset, static_cast<std::size_t>(length() + 3));
    bytes_[static_cast<std::size_t>(kPayloadOffset + length())] = Crc8Maxim::compute(covered);
    return wireBytes();
}

} // namespace orvex
