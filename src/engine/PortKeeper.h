#pragma once

#include "link/SerialPort.h"
#include "notify/WorkerNotifier.h"

namespace orvex {

// The worker's serial port and the port lamp that tells the operator whether
// it is open. The commands only talk through the port; opening it again, and
// saying so, happens here. Worker thread only, like the port itself.
class PortKeeper {
public:
    explicit PortKeeper(WorkerNotifier& notifier) : notifier_(notifier) {}
    PortKeeper(const PortKeeper&) = delete;
    PortKeeper& operator=(const PortKeeper&) = delete;

    SerialPort& port() { return port_; }
    const SerialPort& port() const { return port_; }
    // Closes the port if open, opens it again and shows the outcome on the
    // port lamp; 1 when the port is open afterwards.
    int reopenSerialPort(int portNumber, int baudRate);
    // A port shown open that has since closed itself (the device vanished)
    // turns the port lamp red.
    void showPortIfLost();

private:
    int showPortOutcome(bool opened);

    WorkerNotifier& notifier_;
    SerialPort port_;
    bool portShownOpen_ = false;
};

} // namespace orvex
