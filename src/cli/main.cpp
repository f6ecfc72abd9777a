#include "cli/CliOptions.h"
#include "cli/CliRun.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Orvex");

    using namespace orvex::cli;
    const ParsedCommandLine parsed = parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (parsed.helpRequested) {
        std::fputs(parsed.message.c_str(), stdout);
        return kExitSuccess;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "orvex-cli: %s\nTry 'orvex-cli --help' for more information.\n", parsed.message.c_str());
        return kExitUsage;
    }
    return runCli(*parsed.options);
}
