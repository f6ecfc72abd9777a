#include "cli/PortArgument.h"

#include <algorithm>
#include <cctype>

namespace orvex::cli {

namespace {

constexpr int kComPortCount = 4;

// 1 to 4 for "COM1" to "COM4", else 0.
int comPortNumber(const std::string& port)
{
    std::string upper = port;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.size() != 4 || !upper.starts_with("COM"))
        return 0;
    const int number = upper[3] - '0';
    return number >= 1 && number <= kComPortCount ? number : 0;
}

} // namespace

std::string resolvePortDevice(const std::string& port, const PortDeviceMap& configured)
{
    const int number = comPortNumber(port);
    return number != 0 ? portDeviceName(number, configured) : port;
}

} // namespace orvex::cli
