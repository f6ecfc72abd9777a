#pragma once

#include <map>
#include <string>

namespace orvex {

// Port number (1 for "COM1") -> device path chosen by the operator, from the
// "COM<n> DEVICE" keys of config.cfg.
using PortDeviceMap = std::map<int, std::string>;

// The device that "COM<n>" stands for on this platform: "COM<n>" itself on
// Windows; on other systems the configured device, else /dev/ttyS<n-1>.
// Empty for a port number below 1, which names no device.
std::string portDeviceName(int portNumber, const PortDeviceMap& configured);

} // namespace orvex
