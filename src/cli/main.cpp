#include "cli/CliOptions.h"
#include "cli/CliRecords.h"
#include "cli/CliRun.h"
#include "cli/JsonEventWriter.h"
#include "lang/Language.h"
#include "settings/ProgramDirectory.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The name decides where the user's settings folder is; the window uses the same.
    QCoreApplication::setApplicationName("Orvex");
    QCoreApplication::setApplicationVersion(ORVEX_VERSION);

    using namespace orvex::cli;
    const std::vector<std::string> arguments(argv, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    orvex::deriveProgramDirectory();
    orvex::lang::useLanguage(parsed.language ? *parsed.language : orvex::lang::configuredLanguage());
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowText:
        std::fputs(parsed.message.c_str(), stdout);
        return kExitSuccess;
    case ParsedCommandLine::Action::ListPorts:
        return listPorts();
    case ParsedCommandLine::Action::Report:
        return printRecords(*parsed.options, false);
    case ParsedCommandLine::Action::ExportRecords:
        return printRecords(*parsed.options, true);
    case ParsedCommandLine::Action::WriteJob:
        return writeJob(*parsed.options);
    case ParsedCommandLine::Action::Run:
        return runCli(*parsed.options);
    case ParsedCommandLine::Action::Refuse:
        break;
    }
    std::fprintf(stderr, "orvex-cli: %s\nTry 'orvex-cli --help' for more information.\n", parsed.message.c_str());
    if (asksForJson(arguments))
        JsonEventWriter::writeRefusal(stdout, parsed.options ? parsed.options->port : std::string(), parsed.message,
                                      kExitUsage);
    return kExitUsage;
}
