#include "sim/CommandNames.h"

#include "link/Frame.h"

#include <array>

namespace orvex::sim {

namespace {

struct CommandName {
    std::string_view name;
    CommandCode code;
};

constexpr std::array<CommandName, 14> kCommandNames{{
    {"version", CommandCode::CmdGetVersion},
    {"read-init", CommandCode::CmdReadInit},
    {"read-block", CommandCode::CmdReadBlock},
    {"read-end", CommandCode::CmdReadEnd},
    {"program-init", CommandCode::CmdProgramInit},
    {"program-block", CommandCode::CmdProgramBlock},
    {"program-end", CommandCode::CmdProgramEnd},
    {"erase", CommandCode::CmdErase},
    {"blank-test", CommandCode::CmdBlankTest},
    {"verify-init", CommandCode::CmdVerifyInit},
    {"verify-block", CommandCode::CmdVerifyBlock},
    {"verify-end", CommandCode::CmdVerifyEnd},
    {"power-on", CommandCode::CmdPowerOn},
    {"power-off", CommandCode::CmdPowerOff},
}};

} // namespace

std::optional<std::uint8_t> commandFromName(std::string_view name)
{
    for (const CommandName& command : kCommandNames) {
        if (command.name == name)
            return static_cast<std::uint8_t>(command.code);
    }
    return std::nullopt;
}

std::string commandNameList()
{
    std::string list;
    for (const CommandName& command : kCommandNames) {
        if (!list.empty())
            list += ", ";
        list += command.name;
    }
    return list;
}

} // namespace orvex::sim
