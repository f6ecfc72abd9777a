#include "cli/CliRun.h"

#include "cli/ConsoleNotifier.h"
#include "cli/Preflight.h"
#include "cli/SerialPorts.h"
#include "device/ProgrammerDevice.h"
#include "engine/ProcedureExecutor.h"
#include "engine/RequestMailbox.h"
#include "image/FirmwareImage.h"
#include "link/SerialPort.h"
#include "notify/ProcedureStep.h"
#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "settings/SettingsPaths.h"

#include <cstdio>

namespace orvex::cli {

namespace {

// The "COM<n> DEVICE" keys of config.cfg. The file is only read: a
// command-line run changes no settings and needs no write access.
PortDeviceMap configuredPortDevices()
{
    deriveProgramDirectory();
    return readPortDevices(configFilePath());
}

int refuse(const Refusal& refusal)
{
    std::fprintf(stderr, "orvex-cli: %s\n", refusal.message.c_str());
    return refusal.exitStatus;
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

} // namespace

int runCli(const CliOptions& options)
{
    FirmwareImage image;
    if (auto refusal = loadFirmware(image, options))
        return refuse(*refusal);
    if (options.readBackFile)
        if (auto refusal = checkReadBackTarget(*options.readBackFile))
            return refuse(*refusal);

    // With the read-back on standard output, the status lines step aside.
    const bool readBackToStdout = options.readBackFile == kStandardOutputName;
    ConsoleNotifier notifier(readBackToStdout ? stderr : stdout, stderr, options.readBackFile);
    SerialPort port;
    const std::string devicePath = resolvePortDevice(options.port, configuredPortDevices());
    if (!port.openDevice(devicePath, RequestMailbox::kBaudRate)) {
        std::fprintf(stderr, "orvex-cli: cannot open serial port %s (%s): %s\n", options.port.c_str(),
                     devicePath.c_str(), port.lastOpenError().c_str());
        return kExitPortNotOpened;
    }
    ProgrammerDevice device(port, notifier);
    device.setImage(image.dataBytes().data(), image.dataSize());

    ProcedureExecutor executor(device, notifier);
    executor.setPendingRun(options.stepSet);
    const RunOutcome outcome = executor.runProcedure().value();
    port.close();

    notifier.showRunEnd(outcome.mainStatus);
    if (!outcome.succeeded())
        return kExitProcedureFailed;
    return notifier.saveFailed() ? kExitReadBackNotWritten : kExitSuccess;
}

int listPorts()
{
    listSerialPorts(stdout, configuredPortDevices());
    return kExitSuccess;
}

} // namespace orvex::cli
