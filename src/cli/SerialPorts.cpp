#include "cli/SerialPorts.h"

#include "notify/OperatorText.h"

#include <QSerialPortInfo>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace orvex::cli {

namespace {

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

} // namespace

void listSerialPorts(std::FILE* out, const PortDeviceMap& configured)
{
    const auto ports = QSerialPortInfo::availablePorts();
    std::fprintf(out, "%s\n", translated(ORVEX_TEXT("SerialPorts", "Serial ports of this system:")).c_str());
    if (ports.isEmpty())
        std::fprintf(out, "  %s\n", translated(ORVEX_TEXT("SerialPorts", "(none found)")).c_str());
    for (const QSerialPortInfo& info : ports) {
        std::fprintf(out, "  %s  by-id: %s  description: %s  manufacturer: %s  serial number: %s  latency timer: %s\n",
                     info.systemLocation().toStdString().c_str(), byIdName(info).c_str(),
                     orDash(info.description()).c_str(), orDash(info.manufacturer()).c_str(),
                     orDash(info.serialNumber()).c_str(), latencyTimer(info).c_str());
    }
    std::fprintf(out, "%s\n", translated(ORVEX_TEXT("SerialPorts", "Port names:")).c_str());
    for (int portNumber = 1; portNumber <= kComPortCount; ++portNumber) {
        const bool fromConfig = configured.contains(portNumber);
        std::fprintf(out, "  COM%d = %s%s\n", portNumber, portDeviceName(portNumber, configured).c_str(),
                     fromConfig ? " (config.cfg)" : "");
    }
    for (const SerialAdapter& adapter : systemAdapters())
        std::fprintf(out, "  %s%s = %s\n", kUsbSerialPrefix, adapter.serialNumber.c_str(), adapter.device.c_str());
}

} // namespace orvex::cli
