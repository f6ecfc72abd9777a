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
    std::unique_ptr<QSerialPort> port_;
    bool opened_ = false;
    std::string lastOpenError_;
};

} // namespace orvex
