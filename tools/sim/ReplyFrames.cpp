#include "sim/ReplyFrames.h"

#include <algorithm>

namespace orvex::sim {

namespace {

// A mix a real line produces: idle zeros, stray control bytes, and a 0x55 that
// must not be taken for a second sync byte without a 0xAA before it.
constexpr std::array<std::uint8_t, 6> kNoisePattern{0x00, 0x13, 0x55, 0xFF, 0x7E, 0x0D};

Frame frameWithPayload(std::uint8_t command, std::span<const std::uint8_t> payload)
{
    Frame frame;
    frame.setCommand(static_cast<CommandCode>(command));
    frame.setLength(static_cast<int>(payload.size()));
    std::copy(payload.begin(), payload.end(), frame.payloadData());
    frame.seal();
    return frame;
}

} // namespace

Frame statusFrame(std::uint8_t command, std::uint8_t status)
{
    return frameWithPayload(command, std::span(&status, 1));
}

Frame versionFrame(const std::array<char, 3>& versionChars)
{
    std::array<std::uint8_t, 3> payload{};
    std::copy(versionChars.begin(), versionChars.end(), payload.begin());
    return frameWithPayload(static_cast<std::uint8_t>(CommandCode::CmdGetVersion), payload);
}

Frame readBlockFrame(std::span<const std::uint8_t> header, std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> payload(header.begin(), header.end());
    payload.insert(payload.end(), data.begin(), data.end());
    return frameWithPayload(static_cast<std::uint8_t>(CommandCode::CmdReadBlock), payload);
}

std::vector<std::uint8_t> noiseThenFrame(int noiseBytes, const Frame& frame)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(noiseBytes + frame.wireSize()));
    for (int i = 0; i < noiseBytes; ++i)
        bytes.push_back(kNoisePattern[static_cast<std::size_t>(i) % kNoisePattern.size()]);
    const auto wire = frame.wireBytes();
    bytes.insert(bytes.end(), wire.begin(), wire.end());
    return bytes;
}

} // namespace orvex::sim
