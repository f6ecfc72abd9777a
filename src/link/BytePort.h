#pragma once

#include <cstdint>

namespace orvex {

// What a wait for input found.
enum class PortInput {
    Waiting,  // at least one byte can be read
    TimedOut, // the time ran out with nothing to read
    Closed,   // the port is not open: no byte will ever come
};

// The byte pipe that frames travel over. SerialPort is the real one; tests of
// the frame logic may put an in-memory pipe in its place.
class BytePort {
public:
    virtual ~BytePort() = default;

    // Writes count bytes; returns count, or 0 when the port is closed or count <= 0.
    virtual int send(const std::uint8_t* bytes, int count) = 0;
    // Bytes waiting to be read; never waits. 0 when closed.
    virtual int bytesAvailable() = 0;
    // Takes up to max waiting bytes; never waits. 0 when closed or nothing waits.
    virtual int read(std::uint8_t* buffer, int max) = 0;
    // Sleeps until at least one byte is waiting or timeoutMs pass; a closed
    // port answers at once, so that nobody waits on a line that is gone.
    virtual PortInput waitForInput(int timeoutMs) = 0;
};

} // namespace orvex
