#pragma once

#include "link/BytePort.h"
#include "link/Frame.h"
#include "link/FrameTrace.h"

namespace orvex {

// How a wait for a reply ended.
enum class ReceiveOutcome {
    Good,       // a whole frame with a correct CRC
    NoReply,    // the deadline passed before a whole frame came
    BadCrc,     // a whole frame came, with a wrong CRC
    PortClosed, // the port is closed or closed itself: nothing will come
};

// The exchange layer shared by every command: seal and send a request, collect
// one reply within the deadline, throw away stale input. No retries here; a
// failed exchange is the command's to report.
class FrameLink {
public:
    static constexpr int kReceiveTimeoutMs = 5000;
    // Header and first 64 payload bytes are zeroed before every receive, so a
    // short reply reads 0 wherever no byte arrived.
    static constexpr int kReceiveClearBytes = 68;
    static constexpr int kDrainChunk = 200;
    // A wrong device that never falls silent must not hang a run in the drain.
    static constexpr int kDrainLimitBytes = 64 * 1024;
    static constexpr int kDrainLimitMs = 200;

    explicit FrameLink(BytePort& port, int receiveTimeoutMs = kReceiveTimeoutMs)
        : port_(port), receiveTimeoutMs_(receiveTimeoutMs)
    {
    }

    // Writes sync bytes and CRC into tx and sends it; the number of bytes handed
    // to the port, 0 when it is closed.
    int sendFrame(Frame& tx);
    // Good when a frame with a correct CRC arrived in time; it is left in rx.
    // Nothing after its CRC byte is read. PortClosed at once when the port is
    // closed.
    ReceiveOutcome receiveFrame(Frame& rx);
    void drainInput();

    // Every frame and every skipped byte from now on also goes to trace;
    // null for none. The trace must outlive its use here.
    void setTrace(FrameTrace* trace) { trace_ = trace; }

private:
    BytePort& port_;
    int receiveTimeoutMs_;
    FrameTrace* trace_ = nullptr;
};

} // namespace orvex
