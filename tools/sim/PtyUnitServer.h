#pragma once

#include "SimulatedUnit.h"

#include <string>

namespace orvex::sim {

// Serves a SimulatedUnit on the master side of a pseudo-terminal from a
// thread of its own. The slave side behaves like the unit's serial port: open
// it with any serial code, close it, open it again.
class PtyUnitServer {
public:
    struct Options {
        int lineRateBps = 0; // 0: no line model; else 8N1 wire time both ways
    };

    explicit PtyUnitServer(SimulatedUnit& unit, Options options = {});
    ~PtyUnitServer(); // stops the thread and closes the pty
    PtyUnitServer(const PtyUnitServer&) = delete;
    PtyUnitServer& operator=(const PtyUnitServer&) = delete;

    // Path of the slave tty, for example /dev/pts/4.
    const std::string& devicePath() const;
    // Raw bytes written to the line as if the unit had sent them (tests of noise
    // and of odd frames).
    void injectBytes(std::span<const std::uint8_t> bytes);
    void stop();

private:
    // ... implementation-defined members
};

} // namespace orvex::sim
