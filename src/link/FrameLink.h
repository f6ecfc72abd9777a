#pragma once

#include "link/BytePort.h"
#include "link/Frame.h"

namespace orvex {

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
    // True when a frame with a correct CRC arrived in time; it is left in rx.
    // Nothing after its CRC byte is read. False at once when the port is closed.
    bool receiveFrame(Frame& rx);
    void drainInput();

private:
    BytePort& port_;
    int receiveTimeoutMs_;
};

} // namespace orvex
