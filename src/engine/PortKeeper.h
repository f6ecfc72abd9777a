#pragma once

#include "link/FrameTrace.h"
#include "link/SerialPort.h"
#include "notify/PortObserver.h"

namespace orvex {

// The worker's serial port and the observer that tells the operator whether
// it is open. The commands only talk through the port; opening it again, and
// saying so, happens here. Worker thread only, like the port itself.
class PortKeeper {
public:
    explicit PortKeeper(PortObserver& observer) : observer_(observer) {}
    PortKeeper(const PortKeeper&) = delete;
    PortKeeper& operator=(const PortKeeper&) = delete;

    SerialPort& port() { return port_; }
    const SerialPort& port() const { return port_; }
    // Told of every open, so that its times count from there; null for none.
    void setTrace(FrameTrace* trace) { trace_ = trace; }
    // Closes the port if open, opens it again and tells the observer the
    // outcome; true when the port is open afterwards.
    bool reopenSerialPort(int portNumber, int baudRate);
    // A port shown open that has since closed itself (the device vanished)
    // is told as closed.
    void showPortIfLost();

private:
    bool showPortOutcome(bool opened);

    PortObserver& observer_;
    SerialPort port_;
    FrameTrace* trace_ = nullptr;
    bool portShownOpen_ = false;
};

} // namespace orvex
