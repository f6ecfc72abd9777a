#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::cli {

// Exit status of orvex-cli, for scripts on the production line.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitProcedureFailed = 1,
    kExitUsage = 2, // also a firmware file that cannot be opened
    kExitReadBackNotWritten = 3,
};

struct CliOptions {
    std::string port = "COM1"; // "COM1".."COM4" or a device path
    std::uint16_t stepSet = 0;
    std::optional<std::string> readBackFile;
    std::optional<std::string> firmwareFile;
};

// Either the options or the message that explains why the command line is
// wrong (or the help text, with helpRequested set).
struct ParsedCommandLine {
    std::optional<CliOptions> options;
    std::string message;
    bool helpRequested = false;
};

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

} // namespace orvex::cli
