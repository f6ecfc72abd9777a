#include "link/PortNames.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace orvex {

namespace {

constexpr const char* kPortPlaceholder = "{port}";

// 1 to 4 for "COM1" to "COM4", else 0.
int comPortNumber(const std::string& port)
{
    std::string upper = port;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (upper.size() != 4 || !upper.starts_with("COM"))
        return 0;
    const int portNumber = upper[3] - '0';
    return portNumber >= 1 && portNumber <= kComPortCount ? portNumber : 0;
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
    return {{},
            std::to_string(matches.size()) + " USB adapters have serial number " + serialNumber + " (" + devices
                + "); name the port by its device"};
}

std::vector<SerialAdapter> systemAdapters()
{
    std::vector<SerialAdapter> adapters;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (!info.serialNumber().isEmpty())
            adapters.push_back({info.systemLocation().toStdString(), info.serialNumber().toStdString()});
    return adapters;
}

std::string portFileName(const std::string& port)
{
    const std::size_t slash = port.rfind('/');
    return slash == std::string::npos ? port : port.substr(slash + 1);
}

std::string withPortName(const std::string& pattern, const std::string& port)
{
    std::string result = pattern;
    const std::string name = portFileName(port);
    for (std::size_t at = 0; (at = result.find(kPortPlaceholder, at)) != std::string::npos; at += name.size())
        result.replace(at, std::strlen(kPortPlaceholder), name);
    return result;
}

} // namespace orvex
