#pragma once

#include "link/PortNames.h"

#include <cstdio>
#include <string>

namespace orvex::cli {

// Prints the serial ports the system reports (device, its /dev/serial/by-id/
// name, description, manufacturer, serial number, a USB adapter's latency
// timer) and the device each of COM1 to COM4 stands for.
void listSerialPorts(std::FILE* out, const PortDeviceMap& configured);

} // namespace orvex::cli
