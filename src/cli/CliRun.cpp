#include "cli/CliRun.h"

#include "cli/ConsolePresenter.h"
#include "cli/JsonEventWriter.h"
#include "cli/Preflight.h"
#include "cli/SerialPorts.h"
#include "cli/WorkerWaiter.h"
#include "engine/ImageSnapshot.h"
#include "engine/ProgrammerEngine.h"
#include "image/FirmwareImage.h"
#include "link/TraceFile.h"
#include "notify/ProcedureStep.h"
#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "settings/SettingsPaths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace orvex::cli {

namespace {

// The "COM<n> DEVICE" keys of config.cfg. The file is only read: a
// command-line run changes no settings and needs no write access.
PortDeviceMap configuredPortDevices()
{
    deriveProgramDirectory();
    return readPortDevices(configFilePath());
}

bool usesFirmware(const CliOptions& options)
{
    return (options.stepSet & (StepBit::Program | StepBit::Verify)) != 0;
}

std::optional<Refusal> loadFirmware(FirmwareImage& image, const CliOptions& options)
{
    if (!usesFirmware(options)) {
        if (options.firmwareFile)
            std::fprintf(stderr, "orvex-cli: %s is not used without --program or --verify\n",
                         options.firmwareFile->c_str());
        return std::nullopt;
    }
    image.load(*options.firmwareFile);
    return checkFirmware(image, options);
}

std::optional<Refusal> checkBeforeTheRun(FirmwareImage& image, const CliOptions& options)
{
    if (auto refusal = loadFirmware(image, options))
        return refusal;
    if (options.readBackFile)
        return checkReadBackTarget(*options.readBackFile);
    return std::nullopt;
}

std::unique_ptr<TraceFile> openTrace(const CliOptions& options, std::optional<Refusal>& refusal)
{
    if (!options.traceFile)
        return nullptr;
    auto trace = TraceFile::create(*options.traceFile);
    if (!trace)
        refusal = Refusal{kExitUsage, "cannot write the trace to " + *options.traceFile + ": " + std::strerror(errno)
                                          + "; nothing was sent"};
    return trace;
}

int exitStatusOf(const RunFinished& finished)
{
    if (!finished.ok())
        return kExitProcedureFailed;
    // A read whose data did not reach its file has lost what it was for.
    return finished.readBackLost() ? kExitReadBackNotWritten : kExitSuccess;
}

int refuse(const CliOptions& options, const Refusal& refusal)
{
    std::fprintf(stderr, "orvex-cli: %s\n", refusal.message.c_str());
    if (options.json)
        JsonEventWriter::writeRefusal(stdout, options.port, refusal.message, refusal.exitStatus);
    return refusal.exitStatus;
}

} // namespace

int runCli(const CliOptions& options)
{
    FirmwareImage image;
    std::optional<Refusal> refusal = checkBeforeTheRun(image, options);
    const std::unique_ptr<TraceFile> trace = refusal ? nullptr : openTrace(options, refusal);
    if (refusal)
        return refuse(options, *refusal);

    // With the read-back on standard output, the status lines step aside.
    const bool readBackToStdout = options.readBackFile == kStandardOutputName;
    ConsolePresenter console(readBackToStdout ? stderr : stdout, stderr, options.readBackFile);
    console.setShowingLines(!options.json);
    const std::string devicePath = resolvePortDevice(options.port, configuredPortDevices());
    JsonEventWriter json(stdout, {options.port, devicePath, exitStatusOf});
    WorkerWaiter waiter;

    ProgrammerEngine engine(console, waiter);
    engine.addObserver(console);
    if (options.json)
        engine.addObserver(json);
    engine.addObserver(waiter);
    engine.setTrace(trace.get());
    engine.setPortDevice(devicePath);
    engine.start();
    if (const WorkerWaiter::PortState port = waiter.waitForPort(); !port.open) {
        engine.stop();
        return refuse(options, {kExitPortNotOpened, "cannot open serial port " + options.port + " (" + devicePath
                                                        + "): " + port.openFailure});
    }
    engine.requestRun({options.stepSet, snapshotOf(image)});
    const RunFinished finished = waiter.waitForRunEnd();
    engine.stop();
    return exitStatusOf(finished);
}

int listPorts()
{
    listSerialPorts(stdout, configuredPortDevices());
    return kExitSuccess;
}

} // namespace orvex::cli
