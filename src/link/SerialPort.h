#pragma once

#include "link/BytePort.h"

#include "link/PortDeviceName.h"

#include <memory>
#include <string>

class QSerialPort;

namespace orvex {

// The COM port to the programmer unit: 8 data bits, no parity, one stop bit,
// no flow control. Backed by a QSerialPort that is created by open() in the
// calling thread; that thread must be one Qt started (a QThread or the main
// thread), and only it may use the port afterwards.
class SerialPort final : public BytePort {
public:
    static constexpr int kWriteTimeoutPerByteMs = 1000;

    SerialPort();
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Where "COM<n>" points on this machine; consulted by open(portNumber, ...).
    void setDeviceMap(PortDeviceMap map) { deviceMap_ = std::move(map); }

    // True when the port is open afterwards. An open port is left as it is.
    // The open raises DTR and RTS, whatever the platform's default.
    bool open(int portNumber, int baudRate);
    bool openDevice(const std::string& devicePath, int baudRate);
    bool close();
    bool isOpen() const { return opened_; }
    // Whether the open port still leads to the device it was opened on. A
    // unit that restarted while nothing was sent, or an adapter pulled out and
    // plugged back in, leaves the port open on a line that has hung up, or
    // its path naming another device; such a port is closed, like one that
    // failed in use, and false is the answer, as it is for a closed port.
    bool stillLeadsToItsDevice();
    // Why the last failed open failed, for the operator; empty after a good one.
    const std::string& lastOpenError() const { return lastOpenError_; }

    int send(const std::uint8_t* bytes, int count) override;
    int bytesAvailable() override;
    int read(std::uint8_t* buffer, int max) override;
    PortInput waitForInput(int timeoutMs) override;

private:
    // A vanished device (USB adapter pulled) leaves QSerialPort open but
    // failing; such a port is closed so that callers see it as closed.
    bool stillUsable();
    void pullPendingInput(int timeoutMs);

    PortDeviceMap deviceMap_;
    std::string devicePath_;
    std::unique_ptr<QSerialPort> port_;
    bool opened_ = false;
    std::string lastOpenError_;
};

} // namespace orvex
