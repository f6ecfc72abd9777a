#pragma once

#include <cstdint>

namespace orvex {

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
    // Sleeps until at least one byte is waiting or timeoutMs pass.
    // Returns true when a byte is waiting.
    virtual bool waitForInput(int timeoutMs) = 0;
};

} // namespace orvex
