#include "sim/ProgramOptions.h"

#include "sim/OptionValues.h"

#include <getopt.h>

#include <climits>

namespace orvex::sim {

namespace {

enum OptionId {
    kHelp = 'h',
    kVersionChars = 256,
    kFlash,
    kLink,
    kLineRate,
    kLatencyMs,
    kStats,
    kEraseMs,
    kBlockMs,
    kNoise,
    kPowerOn,
    kRefuse,
    kSilent,
    kBadCrc,
    kWrongCommand,
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version-chars", required_argument, nullptr, kVersionChars},
    {"flash", required_argument, nullptr, kFlash},
    {"link", required_argument, nullptr, kLink},
    {"line-rate", required_argument, nullptr, kLineRate},
    {"latency-ms", required_argument, nullptr, kLatencyMs},
    {"stats", required_argument, nullptr, kStats},
    {"erase-ms", required_argument, nullptr, kEraseMs},
    {"block-ms", required_argument, nullptr, kBlockMs},
    {"noise", required_argument, nullptr, kNoise},
    {"power-on", no_argument, nullptr, kPowerOn},
    {"refuse", required_argument, nullptr, kRefuse},
    {"silent", required_argument, nullptr, kSilent},
    {"bad-crc", required_argument, nullptr, kBadCrc},
    {"wrong-command", required_argument, nullptr, kWrongCommand},
    {nullptr, 0, nullptr, 0},
};

constexpr long kLargestNoise = 4096;
constexpr std::size_t kHelpWidth = 79;
constexpr long kLargestWorkMs = 600'000;

// Applies one option and its argument; the error text, empty when it fits.
class OptionReader {
public:
    explicit OptionReader(ProgramOptions& options) : options_(options) {}

    std::string apply(int id, const std::string& argument)
    {
        switch (id) {
        case kHelp:
            options_.showHelp = true;
            return {};
        case kPowerOn:
            options_.unit.poweredAtStart = true;
            return {};
        case kVersionChars:
            return readVersionChars(argument);
        case kFlash:
            options_.flashPath = argument;
            return {};
        case kLink:
            options_.linkPath = argument;
            return {};
        case kLineRate:
            return readNumber(argument, 0, INT_MAX, options_.server.lineRateBps);
        case kLatencyMs:
            return readMilliseconds(argument, options_.server.replyLatency);
        case kStats:
            options_.statsPath = argument;
            return {};
        case kEraseMs:
            return readMilliseconds(argument, options_.unit.eraseTime);
        case kBlockMs:
            return readMilliseconds(argument, options_.unit.blockTime);
        case kNoise:
            return readNumber(argument, 0, kLargestNoise, options_.unit.noiseBytes);
        default:
            return readFault(id, argument);
        }
    }

private:
    std::string readVersionChars(const std::string& argument)
    {
        if (argument.size() != options_.unit.versionChars.size())
            return "--version-chars takes exactly three characters, not '" + argument + "'";
        std::copy(argument.begin(), argument.end(), options_.unit.versionChars.begin());
        return {};
    }

    static std::string readNumber(const std::string& argument, long min, long max, int& target)
    {
        const auto number = numberFromText(argument, min, max);
        if (!number)
            return "'" + argument + "' is not a number from " + std::to_string(min) + " to " + std::to_string(max);
        target = static_cast<int>(*number);
        return {};
    }

    static std::string readMilliseconds(const std::string& argument, std::chrono::milliseconds& target)
    {
        int ms = 0;
        auto error = readNumber(argument, 0, kLargestWorkMs, ms);
        target = std::chrono::milliseconds(ms);
        return error;
    }

    std::string readFault(int id, const std::string& argument)
    {
        const FaultAction action = id == kRefuse   ? FaultAction::Refuse
                                   : id == kSilent ? FaultAction::Silent
                                   : id == kBadCrc ? FaultAction::BadCrc
                                                   : FaultAction::WrongCommand;
        auto parsed = faultFromText(action, argument);
        if (auto* error = std::get_if<std::string>(&parsed))
            return *error;
        options_.unit.faults.push_back(std::get<FaultRule>(parsed));
        return {};
    }

    ProgramOptions& options_;
};

// Breaks text at blanks into lines of at most kHelpWidth characters.
std::string wrapped(const std::string& list, const std::string& indent)
{
    std::string text;
    std::size_t lineStart = 0;
    std::size_t wordStart = 0;
    while (wordStart < list.size()) {
        const auto wordEnd = std::min(list.find(' ', wordStart), list.size());
        const auto word = list.substr(wordStart, wordEnd - wordStart);
        if (text.size() - lineStart + 1 + word.size() > kHelpWidth) {
            text += '\n';
            lineStart = text.size();
            text += indent;
        } else if (!text.empty()) {
            text += ' ';
        }
        text += word;
        wordStart = wordEnd + 1;
    }
    return text;
}

} // namespace

std::variant<ProgramOptions, std::string> parseProgramOptions(int argc, char* argv[])
{
    ProgramOptions options;
    OptionReader reader(options);
    // A fresh scan each call (optind 0), our own messages (opterr 0), no
    // reordering of argv ('+'), and ':' to tell a missing argument apart.
    optind = 0;
    opterr = 0;
    int id = 0;
    while ((id = getopt_long(argc, argv, "+:h", kLongOptions, nullptr)) != -1) {
        if (id == ':')
            return std::string("option ") + argv[optind - 1] + " needs an argument";
        if (id == '?')
            return std::string("unknown option ") + argv[optind - 1];
        auto error = reader.apply(id, optarg ? optarg : "");
        if (!error.empty())
            return error;
    }
    if (optind < argc)
        return std::string("unexpected argument '") + argv[optind] + "'";
    return options;
}

std::string programHelpText()
{
    return R"(Usage: orvex-sim [OPTION]...
Simulates the Orvex programmer unit on a pseudo-terminal. The first line of
standard output is the path of the tty to open as the unit's serial port.
Runs until SIGINT or SIGTERM, then writes the flash file back, reports the
timing of the exchanges on standard error (or in the --stats file) and exits.

  --link PATH              also make PATH a symbolic link to the tty (an
                           existing symlink is replaced); removed at exit
  --flash FILE             load the flash from FILE at start (a shorter file
                           fills from address 0, the rest reads 0xFF; a missing
                           file means an erased flash) and write all 131072
                           bytes back to FILE at exit
  --version-chars XYZ      the three version characters (default 120)
  --power-on               start with the target powered (default: off, as a
                           real unit; the PC switches it on first)
  --line-rate BPS          model an 8N1 line at BPS in both directions
                           (default 0: bytes pass at once)
  --latency-ms N           hold each reply N milliseconds before it leaves, as
                           a USB serial adapter's latency timer does (default 0)
  --stats FILE             write the timing report to FILE instead: the PC's
                           turnaround (a reply's last byte out to the next
                           request's first byte in) and the unit's lateness
                           against its line model, median, 99th percentile,
                           longest and total, in microseconds
  --erase-ms N             the unit's work time for erase and blank test, in
                           milliseconds (default 0)
  --block-ms N             the unit's work time for each program, verify or
                           read block, in milliseconds (default 0)
  --noise N                send N noise bytes (never 0xAA) before every reply
                           (default 0)

Faults, each repeatable; CMD is a command name or number (5, 0x05), N the
1-based occurrence of that command (absent: every one). The first fault given
for a request applies.
  --refuse CMD[:N][=STATUS]       answer with status STATUS (1-255, default 1)
                                  without doing the work
  --silent CMD[:N]                do the work, send no reply
  --bad-crc CMD[:N]               do the work, spoil the reply's CRC byte
  --wrong-command CMD[:N][=CODE]  do the work, reply with command byte CODE
                                  (default 0xFF)
)" + wrapped("Command names: " + commandNameList(), "  ")
           + R"(

  -h, --help               show this text and exit

Exit status: 0 after a clean stop, 1 when the unit cannot be set up, 2 for
a bad command line.
)";
}

} // namespace orvex::sim
