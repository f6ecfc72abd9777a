#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::sim {

// The command byte named, for example, "program-block"; nothing for a name
// that is not one of the unit's commands.
std::optional<std::uint8_t> commandFromName(std::string_view name);
// Every command name, separated by ", ", for help and error texts.
std::string commandNameList();

} // namespace orvex::sim
