#pragma once

#include "link/SerialPort.h"

#include <cstdio>
#include <string>

namespace orvex::cli {

// The device behind a --port value: "COM1" to "COM4" (any case) go through
// the same mapping as the window's port choice; anything else is taken as a
// device path.
std::string resolvePortDevice(const std::string& port, const PortDeviceMap& configured);

// Prints the serial ports the system reports (device, description,
// manufacturer, serial number, a USB adapter's latency timer) and the device
// each of COM1 to COM4 stands for.
void listSerialPorts(std::FILE* out, const PortDeviceMap& configured);

} // namespace orvex::cli
