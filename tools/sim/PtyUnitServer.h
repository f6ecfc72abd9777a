#pragma once

#include "sim/DeadlineSleeper.h"
#include "sim/ExchangeTiming.h"
#include "sim/PseudoTerminal.h"
#include "sim/RequestParser.h"
#include "sim/SerialLine.h"
#include "sim/SimulatedUnit.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace orvex::sim {

struct PtyUnitServerOptions {
    int lineRateBps = 0; // 0: no line model; else 8N1 wire time both ways
    // How long each reply is held before its first byte leaves, as a USB
    // serial adapter holds short input for its latency timer.
    std::chrono::milliseconds replyLatency{0};
};

// Serves a SimulatedUnit on the master side of a pseudo-terminal from a
// thread of its own. The slave side behaves like the unit's serial port: open
// it with any serial code, close it, open it again. A reply still under way
// when the port is closed waits in the tty for the next program to open it,
// which is why the PC drains its input before a run.
//
// With a line rate, a request counts as arrived when its last byte would have
// crossed the line, the reply starts after the unit's work and the reply
// latency counted from that moment, and each reply byte reaches the tty when
// the line would have delivered it.
class PtyUnitServer {
public:
    // Declared outside the class: GCC rejects a nested aggregate with default
    // member initializers as a default argument of the class's own constructor.
    using Options = PtyUnitServerOptions;
    // The serving thread's name, as /proc/<pid>/task/<tid>/comm shows it.
    static constexpr const char* kThreadName = "unit-server";

    // Throws std::system_error when no pty can be had.
    explicit PtyUnitServer(SimulatedUnit& unit, Options options = {});
    ~PtyUnitServer(); // stops the thread and closes the pty
    PtyUnitServer(const PtyUnitServer&) = delete;
    PtyUnitServer& operator=(const PtyUnitServer&) = delete;

    // Path of the slave tty, for example /dev/pts/4.
    const std::string& devicePath() const;
    // Raw bytes written to the line as if the unit had sent them (tests of noise
    // and of odd frames). They are written at once, outside the line model.
    void injectBytes(std::span<const std::uint8_t> bytes);
    // Ends the serving thread at once, also in the middle of the unit's work
    // or of a paced reply. The tty stays in place until destruction.
    void stop();
    // The timing of the exchanges so far.
    ExchangeTiming timing() const;

private:
    using Clock = SerialLine::Clock;

    void serve();
    bool serveRequest(Clock::time_point arrival);
    bool sendReply(std::span<const std::uint8_t> bytes, Clock::time_point earliest);
    void writeToLine(std::span<const std::uint8_t> bytes);

    SimulatedUnit& unit_;
    Options options_;
    PseudoTerminal pty_;
    DeadlineSleeper sleeper_;
    SerialLine inbound_;
    SerialLine outbound_;
    RequestParser parser_;
    std::mutex writeMutex_;
    mutable std::mutex timingMutex_;
    ExchangeTiming timing_;
    std::thread thread_;
};

} // namespace orvex::sim
