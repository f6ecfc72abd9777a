#pragma once

#include "sim/LatencyHistogram.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvex::sim {

// Where the time of the exchanges goes, as the unit sees it from its end of
// the line: the PC's turnaround, from a reply's last byte handed to the line
// to the next request's first byte read from it (the PC's own work and the
// wake-ups of both programs), and the unit's lateness, how long after the line
// model's moment a reply's last byte actually went out.
class ExchangeTiming {
public:
    using Clock = std::chrono::steady_clock;

    // Bytes from the PC were read at seen; the first after a reply start the
    // next request.
    void bytesReceived(Clock::time_point seen, std::size_t count);
    // A reply's last byte was due on the line at due and was written at delivered.
    void replyDelivered(Clock::time_point due, Clock::time_point delivered, std::size_t count);

    const LatencyHistogram& turnaround() const { return turnaround_; }
    const LatencyHistogram& lateness() const { return lateness_; }
    std::uint64_t bytesReceived() const { return bytesReceived_; }
    std::uint64_t bytesSent() const { return bytesSent_; }

    // One figure per line, a name and then its values, for people and scripts:
    //   replies 6150
    //   bytes-received 266240
    //   bytes-sent 258048
    //   pc-turnaround-us median 38 p99 120 max 2301 total 301877
    //   unit-lateness-us median 3 p99 41 max 388 total 15020
    std::string summary() const;

private:
    LatencyHistogram turnaround_;
    LatencyHistogram lateness_;
    std::uint64_t bytesReceived_ = 0;
    std::uint64_t bytesSent_ = 0;
    bool awaitingNextRequest_ = false;
    Clock::time_point lastDelivered_{};
};

} // namespace orvex::sim
