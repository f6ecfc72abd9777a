#include "link/FrameLink.h"

#include "link/Crc8Maxim.h"
#include "link/Deadline.h"

#include <array>
#include <span>
#include <vector>

namespace orvex {

namespace {

enum class ReceiveState { Hunting, SecondSync, Length, Command, Payload };

// The receive state machine; one instance lives for one receiveFrame call.
class FrameAssembler {
public:
    enum class Outcome { Incomplete, Good, BadCrc };

    explicit FrameAssembler(Frame& rx) : rx_(rx) {}

    bool inFrame() const { return state_ != ReceiveState::Hunting; }

    // The fewest bytes that could still end a frame: as many may be taken at
    // once without taking a byte that comes after it. Before the length is
    // known, a frame with no payload is the shortest there can be.
    int bytesItCouldStillNeed() const
    {
        switch (state_) {
        case ReceiveState::Hunting:
            return Frame::kOverhead;
        case ReceiveState::SecondSync:
            return Frame::kOverhead - 1;
        case ReceiveState::Length:
            return Frame::kOverhead - 2;
        case ReceiveState::Command:
            return rx_.length() + 2;
        case ReceiveState::Payload:
            break;
        }
        return rx_.length() + 1 - payloadIndex_;
    }

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

// The bytes one receive took, told to the trace once the receive is over:
// those before the frame as skipped, then the frame. Keeps nothing without
// a trace.
class ReceiveTrace {
public:
    explicit ReceiveTrace(FrameTrace* trace) : trace_(trace) {}
    ReceiveTrace(const ReceiveTrace&) = delete;
    ReceiveTrace& operator=(const ReceiveTrace&) = delete;

    void took(std::uint8_t byte, bool inFrame)
    {
        if (trace_ == nullptr)
            return;
        taken_.push_back(byte);
        if (!inFrame)
            frameStart_ = kNoFrame;
        else if (frameStart_ == kNoFrame)
            frameStart_ = taken_.size() - 1;
    }

    ~ReceiveTrace()
    {
        if (trace_ == nullptr)
            return;
        const std::span<const std::uint8_t> taken(taken_);
        // A frame cut off by the deadline was not taken as a reply either.
        const std::size_t replyStart = frameComplete_ && frameStart_ != kNoFrame ? frameStart_ : taken.size();
        if (replyStart > 0)
            trace_->skipped(taken.first(replyStart));
        if (replyStart < taken.size())
            trace_->reply(taken.subspan(replyStart));
    }

    void frameComplete() { frameComplete_ = true; }

private:
    static constexpr std::size_t kNoFrame = static_cast<std::size_t>(-1);

    FrameTrace* trace_;
    std::vector<std::uint8_t> taken_;
    std::size_t frameStart_ = kNoFrame; // where the frame under way began among taken_
    bool frameComplete_ = false;
};

} // namespace

int FrameLink::sendFrame(Frame& tx)
{
    const auto wire = tx.seal();
    if (trace_ != nullptr)
        trace_->request(wire);
    return port_.send(wire.data(), static_cast<int>(wire.size()));
}

ReceiveOutcome FrameLink::receiveFrame(Frame& rx)
{
    const Deadline deadline(receiveTimeoutMs_);
    for (int i = 0; i < kReceiveClearBytes; ++i)
        rx[i] = 0;

    FrameAssembler assembler(rx);
    ReceiveTrace trace(trace_);
    // Reading a frame's worth at a time rather than a byte keeps the cost of
    // a reply to a few calls into the port.
    std::array<std::uint8_t, Frame::kCapacity> chunk{};
    while (!deadline.passed()) {
        // Sleeps in the port until a byte arrives instead of spinning; a
        // closed port will never answer, so its caller learns that at once.
        const PortInput input = port_.waitForInput(deadline.millisecondsLeft());
        if (input == PortInput::Closed)
            return ReceiveOutcome::PortClosed;
        if (input == PortInput::TimedOut)
            continue;
        const int count = port_.read(chunk.data(), assembler.bytesItCouldStillNeed());
        for (const std::uint8_t byte : std::span(chunk).first(static_cast<std::size_t>(count))) {
            const FrameAssembler::Outcome outcome = assembler.feed(byte);
            trace.took(byte, assembler.inFrame());
            if (outcome == FrameAssembler::Outcome::Incomplete)
                continue;
            trace.frameComplete();
            return outcome == FrameAssembler::Outcome::Good ? ReceiveOutcome::Good : ReceiveOutcome::BadCrc;
        }
    }
    return ReceiveOutcome::NoReply;
}

void FrameLink::drainInput()
{
    std::array<std::uint8_t, kDrainChunk> scratch{};
    const Deadline deadline(kDrainLimitMs);
    int drained = 0;
    while (drained < kDrainLimitBytes && !deadline.passed() && port_.bytesAvailable() > 0) {
        const int count = port_.read(scratch.data(), kDrainChunk);
        if (trace_ != nullptr && count > 0)
            trace_->skipped(std::span(scratch).first(static_cast<std::size_t>(count)));
        drained += count;
    }
}

} // namespace orvex
