#include "sim/OptionValues.h"

#include "link/Frame.h"

#include <array>
#include <charconv>

namespace orvex::sim {

namespace {

constexpr long kLargestByte = 0xFF;
constexpr long kLargestOccurrence = 1'000'000'000;
// Not a command the PC ever sends, so the PC cannot mistake it for the real reply.
constexpr std::uint8_t kDefaultWrongCommand = 0xFF;

bool takesValue(FaultAction action)
{
    return action == FaultAction::Refuse || action == FaultAction::WrongCommand;
}

// Splits "head<separator>tail" at the last separator; no tail without one.
std::pair<std::string_view, std::optional<std::string_view>> splitOff(std::string_view text, char separator)
{
    const auto at = text.rfind(separator);
    if (at == std::string_view::npos)
        return {text, std::nullopt};
    return {text.substr(0, at), text.substr(at + 1)};
}

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

std::optional<long> numberFromText(std::string_view text, long min, long max)
{
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<std::uint8_t> commandFromText(std::string_view text)
{
    if (const auto named = commandFromName(text))
        return named;
    if (const auto number = numberFromText(text, 0, kLargestByte))
        return static_cast<std::uint8_t>(*number);
    return std::nullopt;
}

std::variant<FaultRule, std::string> faultFromText(FaultAction action, std::string_view text)
{
    const auto [target, valueText] = splitOff(text, '=');
    const auto [commandText, occurrenceText] = splitOff(target, ':');
    FaultRule rule;
    rule.action = action;

    const auto command = commandFromText(commandText);
    if (!command)
        return "unknown command '" + std::string(commandText) + "' (a number or one of: " + commandNameList() + ")";
    rule.command = *command;

    if (occurrenceText) {
        const auto occurrence = numberFromText(*occurrenceText, 1, kLargestOccurrence);
        if (!occurrence)
            return "occurrence '" + std::string(*occurrenceText) + "' is not a number from 1 up";
        rule.occurrence = static_cast<int>(*occurrence);
    }

    if (action == FaultAction::WrongCommand)
        rule.value = kDefaultWrongCommand;
    if (valueText) {
        if (!takesValue(action))
            return "'=" + std::string(*valueText) + "' given to a fault that takes no value";
        // A refusal with status 0 would be a success.
        const long smallest = action == FaultAction::Refuse ? 1 : 0;
        const auto value = numberFromText(*valueText, smallest, kLargestByte);
        if (!value)
            return "value '" + std::string(*valueText) + "' is not a byte from " + std::to_string(smallest) + " to 255";
        rule.value = static_cast<std::uint8_t>(*value);
    }
    if (action == FaultAction::WrongCommand && rule.value == rule.command)
        return "the wrong command byte must differ from the command's own";
    return rule;
}

} // namespace orvex::sim
