#include "sim/RequestParser.h"

#include "link/Crc8Maxim.h"

namespace orvex::sim {

bool RequestParser::feed(std::uint8_t byte)
{
    switch (state_) {
    case State::Hunting:
        if (byte == Frame::kSync1)
            state_ = State::SecondSync;
        return false;
    case State::SecondSync:
        if (byte == Frame::kSync2) {
            crc_ = Crc8Maxim::update(0, byte);
            state_ = State::Length;
        } else if (byte != Frame::kSync1) {
            state_ = State::Hunting;
        }
        return false;
    case State::Length:
        frame_.setLength(byte);
        crc_ = Crc8Maxim::update(crc_, byte);
        state_ = State::Command;
        return false;
    case State::Command:
        frame_[Frame::kCommandOffset] = byte;
        crc_ = Crc8Maxim::update(crc_, byte);
        payloadIndex_ = 0;
        state_ = frame_.length() == 0 ? State::Crc : State::Payload;
        return false;
    case State::Payload:
        frame_.setPayload(payloadIndex_++, byte);
        crc_ = Crc8Maxim::update(crc_, byte);
        if (payloadIndex_ == frame_.length())
            state_ = State::Crc;
        return false;
    case State::Crc:
        return takeCrc(byte);
    }
    return false;
}

bool RequestParser::takeCrc(std::uint8_t byte)
{
    state_ = State::Hunting;
    return Crc8Maxim::update(crc_, byte) == 0;
}

} // namespace orvex::sim
