#include "link/SerialPort.h"

#include "link/Deadline.h"

#include <QSerialPort>

#include <algorithm>

namespace orvex {

namespace {

bool isFatal(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::WriteError;
}

} // namespace

SerialPort::SerialPort() = default;

SerialPort::~SerialPort()
{
    close();
}

bool SerialPort::open(int portNumber, int baudRate)
{
    if (opened_)
        return true;
    const std::string device = portDeviceName(portNumber, deviceMap_);
    return !device.empty() && openDevice(device, baudRate);
}

bool SerialPort::openDevice(const std::string& devicePath, int baudRate)
{
    if (opened_)
        return true;
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(devicePath));
    if (!port->open(QIODevice::ReadWrite))
        return false;
    const bool configured = port->setBaudRate(baudRate) && port->setDataBits(QSerialPort::Data8)
        && port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::OneStop)
        && port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        port->close();
        return false;
    }
    port_ = std::move(port);
    opened_ = true;
    return true;
}

bool SerialPort::close()
{
    if (opened_) {
        port_->close();
        port_.reset();
        opened_ = false;
    }
    return true;
}

bool SerialPort::stillUsable()
{
    if (!opened_)
        return false;
    if (isFatal(port_->error())) {
        close();
        return false;
    }
    // A timed-out wait leaves TimeoutError behind; it says nothing about the line.
    if (port_->error() != QSerialPort::NoError)
        port_->clearError();
    return true;
}

void SerialPort::pullPendingInput(int timeoutMs)
{
    if (port_->bytesAvailable() == 0)
        port_->waitForReadyRead(timeoutMs);
}

int SerialPort::send(const std::uint8_t* bytes, int count)
{
    if (!opened_ || count <= 0)
        return 0;
    // The whole frame goes to the driver at once; the wait for it to leave is
    // bounded by the same allowance a byte-by-byte write would get.
    port_->write(reinterpret_cast<const char*>(bytes), count);
    const Deadline deadline(std::int64_t{kWriteTimeoutPerByteMs} * count);
    while (port_->bytesToWrite() > 0 && !deadline.passed() && stillUsable())
        port_->waitForBytesWritten(deadline.millisecondsLeft());
    if (stillUsable() && port_->bytesToWrite() > 0)
        port_->clear(QSerialPort::Output); // a stalled line: treated as sent
    return count;
}

int SerialPort::bytesAvailable()
{
    if (!stillUsable())
        return 0;
    pullPendingInput(0);
    if (!stillUsable())
        return 0;
    return static_cast<int>(std::min<qint64>(port_->bytesAvailable(), INT32_MAX));
}

int SerialPort::read(std::uint8_t* buffer, int max)
{
    if (max <= 0)
        return 0;
    const int waiting = bytesAvailable();
    if (waiting == 0)
        return 0;
    const qint64 taken = port_->read(reinterpret_cast<char*>(buffer), std::min(waiting, max));
    return taken > 0 ? static_cast<int>(taken) : 0;
}

bool SerialPort::waitForInput(int timeoutMs)
{
    if (!stillUsable())
        return false;
    pullPendingInput(std::max(timeoutMs, 0));
    return stillUsable() && port_->bytesAvailable() > 0;
}

} // namespace orvex
