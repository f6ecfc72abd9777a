#include "link/FrameLink.h"

#include "link/Crc8Maxim.h"
#include "link/Deadline.h"

#include <array>

namespace orvex {

namespace {

enum class ReceiveState { Hunting, SecondSync, Length, Command, Payload };

// The receive state machine; one instance lives for one receiveFrame call.
class FrameAssembler {
public:
    enum class Outcome { Incomplete, Good, BadCrc };

    explicit FrameAssembler(Frame& rx) : rx_(rx) {}

    Outcome feed(std::uint8_t byte)
    {
        switch (state_) {
        case ReceiveState::Hunting:
            if (byte == Frame::kSync1) {
                rx_[Frame::kSync1Offset] = byte;
                crc_ = 0;
                state_ = ReceiveState::SecondSync;
            }
            break;
        case ReceiveState::SecondSync:
            // A wrong byte here is dropped, not examined as a new first sync byte.
            if (byte == Frame::kSync2) {
                rx_[Frame::kSync2Offset] = byte;
                crc_ = Crc8Maxim::update(crc_, byte);
                state_ = ReceiveState::Length;
            } else {
                state_ = ReceiveState::Hunting;
            }
            break;
        case ReceiveState::Length:
            rx_[Frame::kLengthOffset] = byte;
            crc_ = Crc8Maxim::update(crc_, byte);
            state_ = ReceiveState::Command;
            break;
        case ReceiveState::Command:
            rx_[Frame::kCommandOffset] = byte;
            crc_ = Crc8Maxim::update(crc_, byte);
            payloadIndex_ = 0;
            state_ = ReceiveState::Payload;
            break;
        case ReceiveState::Payload:
            // The length payload bytes, then the CRC byte, which brings a good
            // frame's running CRC to 0.
            crc_ = Crc8Maxim::update(crc_, byte);
            rx_[Frame::kPayloadOffset + payloadIndex_] = byte;
            ++payloadIndex_;
            if (payloadIndex_ > rx_.length())
                return crc_ == 0 ? Outcome::Good : Outcome::BadCrc;
            break;
        }
        return Outcome::Incomplete;
    }

private:
    Frame& rx_;
    ReceiveState state_ = ReceiveState::Hunting;
    std::uint8_t crc_ = 0;
    int payloadIndex_ = 0;
};

} // namespace

int FrameLink::sendFrame(Frame& tx)
{
    const auto wire = tx.seal();
    return port_.send(wire.data(), static_cast<int>(wire.size()));
}

bool FrameLink::receiveFrame(Frame& rx)
{
    const Deadline deadline(receiveTimeoutMs_);
    for (int i = 0; i < kReceiveClearBytes; ++i)
        rx[i] = 0;

    FrameAssembler assembler(rx);
    while (!deadline.passed()) {
        // Sleeps in the port until a byte arrives instead of spinning; a
        // closed port will never answer, so its caller learns that at once.
        const PortInput input = port_.waitForInput(deadline.millisecondsLeft());
        if (input == PortInput::Closed)
            return false;
        if (input == PortInput::TimedOut)
            continue;
        std::uint8_t byte = 0;
        if (port_.read(&byte, 1) != 1)
            continue;
        switch (assembler.feed(byte)) {
        case FrameAssembler::Outcome::Good:
            return true;
        case FrameAssembler::Outcome::BadCrc:
            return false;
        case FrameAssembler::Outcome::Incomplete:
            break;
        }
    }
    return false;
}

void FrameLink::drainInput()
{
    std::array<std::uint8_t, kDrainChunk> scratch{};
    const Deadline deadline(kDrainLimitMs);
    int drained = 0;
    while (drained < kDrainLimitBytes && !deadline.passed() && port_.bytesAvailable() > 0)
        drained += port_.read(scratch.data(), kDrainChunk);
}

} // namespace orvex
