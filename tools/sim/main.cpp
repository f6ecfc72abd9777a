#include "sim/TtySymlink.h"
#include "sim/ProgramOptions.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <optional>
#include <pthread.h>

namespace {

using namespace orvex::sim;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Blocked before the server thread starts, so that the thread inherits the
// mask and the signals wait for sigwait in main instead of killing the
// process before the flash is saved.
sigset_t blockStopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

void waitForStopSignal(const sigset_t& signals)
{
    int received = 0;
    sigwait(&signals, &received);
}

void reportTiming(const std::string& statsPath, const ExchangeTiming& timing)
{
    if (statsPath.empty()) {
        std::cerr << timing.summary();
        return;
    }
    std::ofstream file(statsPath, std::ios::trunc);
    file << timing.summary();
    file.close();
    if (!file)
        throw std::runtime_error("cannot write the timing report " + statsPath);
}

int run(const ProgramOptions& options)
{
    const sigset_t stopSignals = blockStopSignals();
    UnitOptions unitOptions = options.unit;
    unitOptions.keepRequestLog = false; // nobody reads it here
    SimulatedUnit unit(unitOptions);
    if (!options.flashPath.empty())
        unit.setFlash(loadFlashFile(options.flashPath, SimulatedUnit::kFlashSize));

    PtyUnitServer server(unit, options.server);
    std::optional<TtySymlink> ttyLink;
    if (!options.linkPath.empty())
        ttyLink.emplace(options.linkPath, server.devicePath());
    // Flushed at once: whoever started the program waits for this line.
    std::cout << server.devicePath() << std::endl;

    waitForStopSignal(stopSignals);
    server.stop();
    if (!options.flashPath.empty())
        saveFlashFile(options.flashPath, unit.flash());
    reportTiming(options.statsPath, server.timing());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    auto parsed = parseProgramOptions(argc, argv);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "orvex-sim: " << *error << "\nTry 'orvex-sim --help'.\n";
        return kExitUsage;
    }
    const auto& options = std::get<ProgramOptions>(parsed);
    if (options.showHelp) {
        std::cout << programHelpText();
        return 0;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        std::cerr << "orvex-sim: " << e.what() << '\n';
        return kExitFailure;
    }
}
