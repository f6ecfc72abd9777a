#include "cli/SerialPorts.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <fstream>

namespace orvex::cli {

namespace {

constexpr int kComPortCount = 4;

// 1 to 4 for "COM1" to "COM4", else 0.
int comPortNumber(const std::string& port)
{
    std::string upper = port;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.size() != 4 || !upper.starts_with("COM"))
        return 0;
    const int portNumber = upper[3] - '0';
    return portNumber >= 1 && portNumber <= kComPortCount ? portNumber : 0;
}

std::string orDash(const QString& text)
{
    return text.isEmpty() ? "-" : text.toStdString();
}

// A USB adapter's latency timer, which Linux shows for usb-serial drivers:
// the longest time the adapter holds short input before passing it on.
std::string latencyTimer(const QSerialPortInfo& info)
{
    std::ifstream file("/sys/bus/usb-serial/devices/" + info.portName().toStdString() + "/latency_timer");
    int milliseconds = 0;
    if (!(file >> milliseconds))
        return "-";
    return std::to_string(milliseconds) + " ms";
}

} // namespace

std::string resolvePortDevice(const std::string& port, const PortDeviceMap& configured)
{
    const int portNumber = comPortNumber(port);
    return portNumber != 0 ? portDeviceName(portNumber, configured) : port;
}

void listSerialPorts(std::FILE* out, const PortDeviceMap& configured)
{
    const auto ports = QSerialPortInfo::availablePorts();
    std::fprintf(out, "Serial ports of this system:\n");
    if (ports.isEmpty())
        std::fprintf(out, "  (none found)\n");
    for (const QSerialPortInfo& info : ports) {
        std::fprintf(out, "  %s  description: %s  manufacturer: %s  serial number: %s  latency timer: %s\n",
                     info.systemLocation().toStdString().c_str(), orDash(info.description()).c_str(),
                     orDash(info.manufacturer()).c_str(), orDash(info.serialNumber()).c_str(),
                     latencyTimer(info).c_str());
    }
    std::fprintf(out, "Port names:\n");
    for (int portNumber = 1; portNumber <= kComPortCount; ++portNumber) {
        const bool fromConfig = configured.contains(portNumber);
        std::fprintf(out, "  COM%d = %s%s\n", portNumber, portDeviceName(portNumber, configured).c_str(),
                     fromConfig ? " (config.cfg)" : "");
    }
}

} // namespace orvex::cli
