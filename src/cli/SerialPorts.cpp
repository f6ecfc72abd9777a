#include "cli/SerialPorts.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

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

// The name udev gives the device in /dev/serial/by-id/, which stays the
// same whichever socket the adapter is plugged into.
std::string byIdName(const QSerialPortInfo& info)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path device = fs::weakly_canonical(info.systemLocation().toStdString(), error);
    for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", error))
        if (fs::weakly_canonical(entry.path(), error) == device)
            return entry.path().string();
    return "-";
}

std::vector<SerialAdapter> systemAdapters()
{
    std::vector<SerialAdapter> adapters;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (!info.serialNumber().isEmpty())
            adapters.push_back({info.systemLocation().toStdString(), info.serialNumber().toStdString()});
    return adapters;
}

} // namespace

ResolvedPort resolvePortDevice(const std::string& port, const PortDeviceMap& configured)
{
    if (port.starts_with(kUsbSerialPrefix))
        return findAdapter(port.substr(std::string(kUsbSerialPrefix).size()), systemAdapters());
    const int portNumber = comPortNumber(port);
    return {portNumber != 0 ? portDeviceName(portNumber, configured) : port, std::nullopt};
}

ResolvedPort findAdapter(const std::string& serialNumber, const std::vector<SerialAdapter>& adapters)
{
    std::vector<std::string> matches;
    for (const SerialAdapter& adapter : adapters)
        if (adapter.serialNumber == serialNumber)
            matches.push_back(adapter.device);
    if (matches.size() == 1)
        return {matches.front(), std::nullopt};
    if (matches.empty())
        return {{}, "no USB adapter with serial number " + serialNumber + " is plugged in (see --list-ports)"};
    std::string devices;
    for (const std::string& device : matches)
        devices += (devices.empty() ? "" : ", ") + device;
    return {{}, std::to_string(matches.size()) + " USB adapters have serial number " + serialNumber + " (" + devices
                    + "); name the port by its device"};
}

void listSerialPorts(std::FILE* out, const PortDeviceMap& configured)
{
    const auto ports = QSerialPortInfo::availablePorts();
    std::fprintf(out, "Serial ports of this system:\n");
    if (ports.isEmpty())
        std::fprintf(out, "  (none found)\n");
    for (const QSerialPortInfo& info : ports) {
        std::fprintf(out, "  %s  by-id: %s  description: %s  manufacturer: %s  serial number: %s  latency timer: %s\n",
                     info.systemLocation().toStdString().c_str(), byIdName(info).c_str(),
                     orDash(info.description()).c_str(),
                     orDash(info.manufacturer()).c_str(), orDash(info.serialNumber()).c_str(),
                     latencyTimer(info).c_str());
    }
    std::fprintf(out, "Port names:\n");
    for (int portNumber = 1; portNumber <= kComPortCount; ++portNumber) {
        const bool fromConfig = configured.contains(portNumber);
        std::fprintf(out, "  COM%d = %s%s\n", portNumber, portDeviceName(portNumber, configured).c_str(),
                     fromConfig ? " (config.cfg)" : "");
    }
    for (const SerialAdapter& adapter : systemAdapters())
        std::fprintf(out, "  %s%s = %s\n", kUsbSerialPrefix, adapter.serialNumber.c_str(), adapter.device.c_str());
}

} // namespace orvex::cli
