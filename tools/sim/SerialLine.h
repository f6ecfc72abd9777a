#pragma once

#include <chrono>
#include <cstddef>

namespace orvex::sim {

// One direction of an 8N1 serial line: each byte takes ten bit times and the
// line carries one byte after another, so bytes handed over while earlier ones
// are still on the wire queue behind them. Every byte's moment is counted from
// the start of its burst, never from when the byte before it was really
// handled, so that lateness does not add up. A line without a rate is instant.
class SerialLine {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kBitsPerByte = 10; // start bit, 8 data bits, stop bit
    // Replies are written in steps of about this much wire time, so that the
    // reader sees them trickle in rather than all at the end.
    static constexpr std::chrono::microseconds kPacingStep{1000};

    explicit SerialLine(int rateBps) : rateBps_(rateBps) {}

    bool instant() const { return rateBps_ <= 0; }
    Clock::duration wireTime(std::size_t byteCount) const;
    // Puts byteCount bytes on the line, the first no earlier than earliest;
    // returns when the first of them starts, later while the line is busy.
    Clock::time_point occupy(Clock::time_point earliest, std::size_t byteCount);
    // How many bytes of a burst that started at start are off the wire by now.
    std::size_t bytesCarried(Clock::time_point start, Clock::time_point now) const;
    // Bytes written to the pty at once when pacing a reply.
    std::size_t bytesPerPacingStep() const;

private:
    int rateBps_;
    Clock::time_point busyUntil_{};
};

} // namespace orvex::sim
