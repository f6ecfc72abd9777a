#pragma once

#include "link/BytePort.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::bench {

// A serial line as plainly as POSIX gives it: the tty in raw mode, blocking
// write(), and one blocking read() per wake-up into a buffer the frame code
// takes its bytes from. No event loop, no threads, no other system calls:
// what a cycle through it costs is what the machine itself costs.
class TermiosPort final : public BytePort {
public:
    // A wait for input wakes at least this often to look at its deadline.
    static constexpr int kReadTimeoutDeciseconds = 1;

    TermiosPort() = default;
    ~TermiosPort() override;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    // 8N1 at 115200 bps, raw; empty on success, else why not.
    std::string open(const std::string& devicePath);

    int send(const std::uint8_t* bytes, int count) override;
    int bytesAvailable() override;
    int read(std::uint8_t* buffer, int max) override;
    PortInput waitForInput(int timeoutMs) override;

private:
    int waiting() const { return end_ - start_; }
    // One read() into the empty buffer; it blocks up to the tty's VTIME.
    void fill();

    int descriptor_ = -1;
    std::array<std::uint8_t, 4096> buffer_{};
    int start_ = 0;
    int end_ = 0;
};

} // namespace orvex::bench
