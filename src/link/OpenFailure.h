#pragma once

#include <string>

namespace orvex {

// How the serial library classed a failed open. Its classes are vague (a
// device locked by another program and one the user may not touch are both
// "permission"), so the system is asked again before the operator is told.
enum class OpenErrorClass { NotFound, Permission, NotSerial, Other };

// Why devicePath could not be opened, in words for the operator: no such
// device, permission denied (with the group to join), device busy, not a
// serial device, or else the library's own text.
std::string describeOpenFailure(const std::string& devicePath, OpenErrorClass libraryClass,
                                const std::string& libraryText);

// The words for a device the user may not read and write, given its mode bits
// and the name of the group that owns it. Joining the group is suggested only
// where the group may read and write it.
std::string permissionDeniedText(const std::string& devicePath, unsigned mode, const std::string& groupName);

} // namespace orvex
