#pragma once

#include "link/SerialPort.h"

#include <optional>
#include <string>
#include <vector>

namespace orvex {

// A port as the operator names it ("COM2", a device path, usb:SERIAL), its
// device, or why it has none.
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

// The name of a usb:SERIAL port: a port that stays with its adapter
// whichever socket it is plugged into.
inline constexpr const char* kUsbSerialPrefix = "usb:";
inline constexpr int kComPortCount = 4;

// The device behind a port's name: "COM1" to "COM4" (any case) go through
// the same mapping as the window's port choice; usb:SERIAL is the one adapter
// the system reports with that serial number; anything else is taken as a
// device path.
ResolvedPort resolvePortDevice(const std::string& port, const PortDeviceMap& configured);

// The one adapter with the serial number, among those given.
ResolvedPort findAdapter(const std::string& serialNumber, const std::vector<SerialAdapter>& adapters);

// The adapters the system reports with a serial number.
std::vector<SerialAdapter> systemAdapters();

// The part of a port's name that {port} stands for in a file name: the name
// as given, or the last part of a device path.
std::string portFileName(const std::string& port);
// The pattern with every {port} replaced by the port's file name.
std::string withPortName(const std::string& pattern, const std::string& port);

} // namespace orvex
