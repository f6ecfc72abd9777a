#pragma once

#include "link/SerialPort.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace orvex::cli {

// A --port value's device, or why it has none.
struct ResolvedPort {
    std::string device;
    std::optional<std::string> failure;
};

// A serial port of the system as the operator knows a USB adapter: by the
// serial number it reports.
struct SerialAdapter {
    std::string device;
    std::string serialNumber;
};

// The name of a usb:SERIAL port value: a port that stays with its adapter
// whichever socket it is plugged into.
inline constexpr const char* kUsbSerialPrefix = "usb:";

// The device behind a --port value: "COM1" to "COM4" (any case) go through
// the same mapping as the window's port choice; usb:SERIAL is the one adapter
// the system reports with that serial number; anything else is taken as a
// device path.
ResolvedPort resolvePortDevice(const std::string& port, const PortDeviceMap& configured);

// The one adapter with the serial number, among those given.
ResolvedPort findAdapter(const std::string& serialNumber, const std::vector<SerialAdapter>& adapters);

// Prints the serial ports the system reports (device, its /dev/serial/by-id/
// name, description, manufacturer, serial number, a USB adapter's latency
// timer) and the device each of COM1 to COM4 stands for.
void listSerialPorts(std::FILE* out, const PortDeviceMap& configured);

} // namespace orvex::cli
