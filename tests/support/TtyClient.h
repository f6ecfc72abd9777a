#pragma once

#include "support/WireFrames.h"

#include <chrono>
#include <string>

namespace orvex::test {

// One end of a serial line in its plainest form, POSIX calls on a
// non-blocking descriptor, so that the pty tests depend on no serial code of
// the program: the PC's end, a tty opened by path, or the unit's end, the
// master of a sim::PseudoTerminal.
class TtyClient {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kReplyTimeout{2000};

    // Opens path and puts it in raw mode unless told to keep the settings the
    // tty already has.
    explicit TtyClient(const std::string& path, bool makeRaw = true);
    // Speaks through a non-blocking descriptor that stays its owner's to close.
    explicit TtyClient(int borrowedDescriptor) : fd_(borrowedDescriptor), owned_(false) {}
    ~TtyClient();
    TtyClient(const TtyClient&) = delete;
    TtyClient& operator=(const TtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Throws when the line does not take every byte within kReplyTimeout.
    void send(std::span<const std::uint8_t> bytes);
    // As much of bytes as the line takes within timeout, however full it is;
    // the number of bytes it took.
    std::size_t sendWithin(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout);
    void sendRequest(CommandCode command, std::span<const std::uint8_t> payload = {});
    // Bytes that arrive within timeout, stopping early once count are in.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds timeout);
    // One reply frame (noise before it is skipped); nothing on time-out.
    std::optional<WireReply> receiveReply(std::chrono::milliseconds timeout = kReplyTimeout);
    std::optional<WireReply> exchange(CommandCode command, std::span<const std::uint8_t> payload = {});

    // When the last byte taken by receive or receiveReply came in, and the first.
    Clock::time_point firstByteTime() const { return firstByteTime_; }
    Clock::time_point lastByteTime() const { return lastByteTime_; }

private:
    bool waitFor(short events, Clock::time_point deadline) const;
    void readInto(std::vector<std::uint8_t>& bytes, std::size_t max);

    int fd_ = -1;
    bool owned_ = true;
    Clock::time_point firstByteTime_{};
    Clock::time_point lastByteTime_{};
};

} // namespace orvex::test
