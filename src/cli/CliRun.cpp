#include "cli/CliRun.h"

#include "cli/ConsoleNotifier.h"
#include "image/FileReading.h"
#include "image/FirmwareImage.h"
#include "cli/PortArgument.h"
#include "engine/ProcedureExecutor.h"
#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "device/ProgrammerDevice.h"
#include "engine/RequestMailbox.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPaths.h"

#include <cstdio>
#include <filesystem>

namespace orvex::cli {

namespace {

// The "COM<n> DEVICE" keys of the config.cfg beside the program, if there is
// one. The file is only read: a command-line run changes no settings.
PortDeviceMap configuredPortDevices()
{
    deriveProgramDirectory();
    const std::string path = configFilePath();
    if (!std::filesystem::exists(path))
        return {};
    SettingsFile file;
    if (!file.open(path))
        return {};
    return portDevicesFromFile(file);
}

} // namespace

int runCli(const CliOptions& options)
{
    FirmwareImage image;
    if (options.firmwareFile) {
        if (!canOpenForReading(*options.firmwareFile)) {
            std::fprintf(stderr, "orvex-cli: cannot open firmware file %s\n", options.firmwareFile->c_str());
            return kExitUsage;
        }
        image.load(*options.firmwareFile);
    }

    ConsoleNotifier notifier(stdout, stderr, options.readBackFile);
    ProgrammerDevice device(notifier);
    device.setImage(image.dataBytes().data(), image.dataSize());
    const std::string devicePath = resolvePortDevice(options.port, configuredPortDevices());
    if (device.reopenSerialDevice(devicePath, RequestMailbox::kBaudRate) == 0) {
        std::fprintf(stderr, "orvex-cli: cannot open serial port %s (%s)\n", options.port.c_str(), devicePath.c_str());
        return kExitProcedureFailed;
    }

    ProcedureExecutor executor(device, notifier);
    executor.setStepSet(options.stepSet);
    executor.setPendingRun(true);
    executor.runProcedure();
    device.port().close();

    if (!notifier.runSucceeded())
        return kExitProcedureFailed;
    return notifier.saveFailed() ? kExitReadBackNotWritten : kExitSuccess;
}

} // namespace orvex::cli
