#pragma once

#include "sim/SimulatedUnit.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvex::sim {

// A whole decimal number, or hexadecimal with 0x, within [min, max].
std::optional<long> numberFromText(std::string_view text, long min, long max);
// The command byte named, for example, "program-block"; nothing for a name
// that is not one of the unit's commands.
std::optional<std::uint8_t> commandFromName(std::string_view name);
// Every command name, separated by ", ", for help and error texts.
std::string commandNameList();
// A command by name ("program-block") or by number ("5", "0x05").
std::optional<std::uint8_t> commandFromText(std::string_view text);

// A fault option's argument, CMD[:N][=VALUE]: the command, the 1-based
// occurrence (every one when absent) and, for actions that take one, the
// status or command byte. The error text when the argument is no such thing.
std::variant<FaultRule, std::string> faultFromText(FaultAction action, std::string_view text);

} // namespace orvex::sim
