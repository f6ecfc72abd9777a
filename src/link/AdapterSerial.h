#pragma once

#include <optional>
#include <string>

namespace orvex {

// The serial number of the USB adapter behind a serial device, where the
// system knows it (a symlink such as /dev/serial/by-id/... is followed);
// none for a built-in port or a pseudo-terminal.
std::optional<std::string> adapterSerialNumber(const std::string& devicePath);

} // namespace orvex
