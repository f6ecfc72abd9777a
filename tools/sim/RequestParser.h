#pragma once

#include "link/Frame.h"

#include <cstdint>
#include <span>

namespace orvex::sim {

// The unit's receiver: picks request frames out of the byte stream from the
// PC. A frame with a wrong CRC is dropped without a reply, so the PC sees a
// lost request; a 0xAA where the second sync byte should be starts a new
// frame, so a stray 0xAA before a request does not swallow it.
class RequestParser {
public:
    // Takes one byte; true when it completed a request with a correct CRC,
    // which command() and payload() then describe until the next feed.
    bool feed(std::uint8_t byte);

    std::uint8_t command() const { return frame_.command(); }
    std::span<const std::uint8_t> payload() const { return {frame_.payloadData(), frame_.length()}; }

private:
    enum class State { Hunting, SecondSync, Length, Command, Payload, Crc };

    bool takeCrc(std::uint8_t byte);

    Frame frame_;
    State state_ = State::Hunting;
    std::uint8_t crc_ = 0;
    int payloadIndex_ = 0;
};

} // namespace orvex::sim
