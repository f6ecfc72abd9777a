#include "cli/CliOptions.h"

#include "notify/ProcedureStep.h"

#include <QCommandLineParser>
#include <QStringList>

#include <array>

namespace orvex::cli {

namespace {

struct StepOption {
    const char* shortName;
    const char* longName;
    const char* description;
    std::uint16_t bit;
};

constexpr std::array kStepOptions{
    StepOption{"d", "detect", "Check the connection: query the unit's version.", StepBit::Detect},
    StepOption{"e", "erase", "Erase the whole flash.", StepBit::Erase},
    StepOption{"b", "blank-check", "Check that the whole flash is blank.", StepBit::TestFF},
    StepOption{"w", "program", "Program FIRMWARE into the flash.", StepBit::Program},
    StepOption{"v", "verify", "Verify the flash against FIRMWARE.", StepBit::Verify},
};

QCommandLineOption makeOption(const char* shortName, const char* longName, const char* description)
{
    return QCommandLineOption(QStringList{shortName, longName}, description);
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Drives the Orvex programmer unit: erase, blank check, program, verify and read "
                                     "the flash of the SDA5555FL. Steps run in a fixed order, whatever the order of "
                                     "the options; the run stops at the first failing step.");
    const QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption port(QStringList{"p", "port"}, "COM1 to COM4 (see config.cfg), or a serial device path.",
                            "PORT", "COM1");
    QCommandLineOption read(QStringList{"r", "read"}, "Read the whole flash and save it to OUT.", "OUT");
    parser.addOption(port);
    for (const StepOption& step : kStepOptions)
        parser.addOption(makeOption(step.shortName, step.longName, step.description));
    parser.addOption(read);
    parser.addPositionalArgument("FIRMWARE", "Intel HEX (name ending in hex) or binary image.", "[FIRMWARE]");

    QStringList qtArguments;
    for (const std::string& a : arguments)
        qtArguments << QString::fromStdString(a);

    ParsedCommandLine parsed;
    if (!parser.parse(qtArguments)) {
        parsed.message = parser.errorText().toStdString();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.helpRequested = true;
        parsed.message = parser.helpText().toStdString();
        return parsed;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        parsed.message = "only one FIRMWARE file may be given";
        return parsed;
    }

    CliOptions options;
    options.port = parser.value(port).toStdString();
    for (const StepOption& step : kStepOptions)
        if (parser.isSet(step.longName))
            options.stepSet |= step.bit;
    if (parser.isSet(read)) {
        options.stepSet |= StepBit::Read;
        options.readBackFile = parser.value(read).toStdString();
    }
    if (!positional.isEmpty())
        options.firmwareFile = positional.front().toStdString();
    if ((options.stepSet & (StepBit::Program | StepBit::Verify)) && !options.firmwareFile) {
        parsed.message = "--program and --verify need a FIRMWARE file";
        return parsed;
    }
    parsed.options = options;
    return parsed;
}

} // namespace orvex::cli
