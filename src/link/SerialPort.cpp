#include "link/SerialPort.h"

#include "link/Deadline.h"
#include "link/OpenFailure.h"

#include <QSerialPort>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#endif

namespace orvex {

namespace {

bool isFatal(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::WriteError;
}

OpenErrorClass classOf(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenErrorClass::NotFound;
    case QSerialPort::PermissionError:
        return OpenErrorClass::Permission;
    case QSerialPort::UnsupportedOperationError:
        return OpenErrorClass::NotSerial;
    default:
        return OpenErrorClass::Other;
    }
}

bool configureLine(QSerialPort& port, int baudRate)
{
    return port.setBaudRate(baudRate) && port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity)
           && port.setStopBits(QSerialPort::OneStop) && port.setFlowControl(QSerialPort::NoFlowControl);
}

// Linux raises both lines at open, but Qt's Windows backend lowers RTS, and a
// unit may draw its power from it. A line without modem control (a pty, some
// adapters) refuses; it carries bytes all the same, so that is no failure.
void raiseModemLines(QSerialPort& port)
{
    port.setDataTerminalReady(true);
    port.setRequestToSend(true);
    port.clearError();
}

// A USB adapter holds short input until its latency timer runs out (16 ms on
// FTDI chips), which would stretch every reply; asked for low latency, its
// driver passes input on at once. A pty, or a driver without the setting,
// refuses; the line works as before.
void requestLowLatency([[maybe_unused]] QSerialPort& port)
{
#ifdef Q_OS_LINUX
    serial_struct serial{};
    const int fd = port.handle();
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    serial.flags |= static_cast<int>(ASYNC_LOW_LATENCY);
    [[maybe_unused]] const int refused = ::ioctl(fd, TIOCSSERIAL, &serial);
#endif
}

#ifdef Q_OS_UNIX
// A hang-up (the far end of a pty gone, a USB adapter unplugged) or an error
// shows on the descriptor without anything being read or written.
bool lineHungUp(int descriptor)
{
    pollfd line{descriptor, POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Whether path names the device open as descriptor: a device node made anew
// for a replugged adapter, or a link moved to a new pty, names another.
bool pathNamesOpenDevice(const std::string& path, int descriptor)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_rdev == named.st_rdev
           && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}
#endif

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
    if (device.empty()) {
        lastOpenError_ = "No such port number: " + std::to_string(portNumber);
        return false;
    }
    return openDevice(device, baudRate);
}

bool SerialPort::openDevice(const std::string& devicePath, int baudRate)
{
    if (opened_)
        return true;
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(devicePath));
    if (!port->open(QIODevice::ReadWrite)) {
        lastOpenError_ = describeOpenFailure(devicePath, classOf(port->error()), port->errorString().toStdString());
        return false;
    }
    if (!configureLine(*port, baudRate)) {
        lastOpenError_ = "Cannot set " + devicePath + " to " + std::to_string(baudRate)
                         + " bps 8N1: " + port->errorString().toStdString();
        port->close();
        return false;
    }
    raiseModemLines(*port);
    requestLowLatency(*port);
    port_ = std::move(port);
    devicePath_ = devicePath;
    opened_ = true;
    lastOpenError_.clear();
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

bool SerialPort::stillLeadsToItsDevice()
{
    if (!stillUsable())
        return false;
#ifdef Q_OS_UNIX
    const int descriptor = static_cast<int>(port_->handle());
    if (lineHungUp(descriptor) || !pathNamesOpenDevice(devicePath_, descriptor)) {
        close();
        return false;
    }
#endif
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
    // The whole frame goes to the driver at once, without first waiting to be
    // told the line can take it; only a driver that is full is waited for,
    // within the same allowance a byte-by-byte write would get.
    port_->write(reinterpret_cast<const char*>(bytes), count);
    port_->flush();
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

PortInput SerialPort::waitForInput(int timeoutMs)
{
    if (!stillUsable())
        return PortInput::Closed;
    pullPendingInput(std::max(timeoutMs, 0));
    if (!stillUsable())
        return PortInput::Closed;
    return port_->bytesAvailable() > 0 ? PortInput::Waiting : PortInput::TimedOut;
}

} // namespace orvex
