#pragma once

#include "lang/Language.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::cli {

// Exit status of orvex-cli, for scripts on the production line.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitProcedureFailed = 1,
    kExitUsage = 2, // also a firmware file that is refused; nothing was sent
    kExitReadBackNotWritten = 3,
    kExitPortNotOpened = 4,
    // A record that could not be written after a run that succeeded, or a
    // serial number that could not be had (nothing was sent then).
    kExitRecords = 5,
};

// Read-back goes to standard output instead of a file.
inline constexpr const char* kStandardOutputName = "-";

struct CliOptions {
    std::string port = "COM1"; // "COM1".."COM4", usb:SERIAL or a device path; the first of ports
    // Every port the procedure runs on at once, one unit each, in the order given.
    std::vector<std::string> ports{"COM1"};
    std::uint16_t stepSet = 0;
    // Paths are byte strings as given: they need not be valid UTF-8.
    std::optional<std::string> readBackFile;
    // Loaded and checked only for --program and --verify.
    std::optional<std::string> firmwareFile;
    // Load the firmware by the window's rules: skip rejected HEX lines, need
    // no end record, accept an image without data.
    bool lenient = false;
    // JSON Lines of the run's events on standard output instead of text.
    bool json = false;
    // Every frame both ways, into this file.
    std::optional<std::string> traceFile;
    bool portGiven = false; // -p was given, not left at COM1
    // Where records go: off, sqlite:PATH or a PostgreSQL URI; config.cfg's
    // RECORDS or the default when none.
    std::optional<std::string> records;
    // A run: the job file that fixes the procedure. A report: the job's name.
    std::optional<std::string> job;
    // --write-job FILE --job-name NAME
    std::optional<std::string> writeJobFile;
    std::optional<std::string> jobName;
    // Reports and exports: runs started on this day (YYYY-MM-DD, UTC) or later.
    std::optional<std::string> since;
    enum class Format { Text, Csv, Json } format = Format::Text;
};

// What the command line asks for: a procedure, or one of the informational
// actions, or nothing but the message that explains why it is wrong.
struct ParsedCommandLine {
    enum class Action { Run, ShowText, ListPorts, Report, ExportRecords, WriteJob, Refuse };
    Action action = Action::Refuse;
    std::optional<CliOptions> options;
    // The help or version text for ShowText, the reason for Refuse.
    std::string message;
    // --lang; none leaves the choice to config.cfg.
    std::optional<lang::Language> language;
};

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Whether the arguments ask for JSON output, also when they cannot be parsed:
// a refusal must then be JSON too.
bool asksForJson(const std::vector<std::string>& arguments);

} // namespace orvex::cli
