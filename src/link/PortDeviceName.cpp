#include "link/PortDeviceName.h"

namespace orvex {

std::string portDeviceName(int portNumber, const PortDeviceMap& configured)
{
    if (portNumber < 1)
        return {};
#ifdef _WIN32
    (void)configured;
    return "COM" + std::to_string(portNumber);
#else
    if (auto it = configured.find(portNumber); it != configured.end() && !it->second.empty())
        return it->second;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
#endif
}

} // namespace orvex
