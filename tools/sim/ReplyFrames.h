#pragma once

#include "link/Frame.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orvex::sim {

// The frames the unit answers with, sealed and ready for the wire.
Frame statusFrame(std::uint8_t command, std::uint8_t status);
Frame versionFrame(const std::array<char, 3>& versionChars);
// A read block's reply: the request's header, then the block's flash bytes.
Frame readBlockFrame(std::span<const std::uint8_t> header, std::span<const std::uint8_t> data);

// Line noise (never 0xAA, so it cannot look like a frame start) followed by
// the frame.
std::vector<std::uint8_t> noiseThenFrame(int noiseBytes, const Frame& frame);

} // namespace orvex::sim
