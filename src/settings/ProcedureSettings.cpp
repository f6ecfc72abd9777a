#include "settings/ProcedureSettings.h"

#include "settings/SettingsText.h"

#include <algorithm>
#include <limits>

namespace orvex {

namespace {

struct StepKey {
    ProcedureStep step;
    const char* key;
};

// Read and written in this order, so a new file lists them so.
constexpr std::array<StepKey, kProcedureStepCount> kStepKeys{{
    {ProcedureStep::Read, "READ"},
    {ProcedureStep::Program, "PROGRAM"},
    {ProcedureStep::Reload, "RELOAD"},
    {ProcedureStep::Erase, "ERASE"},
    {ProcedureStep::TestFF, "TEST FF"},
    {ProcedureStep::Verify, "VERIFY"},
    {ProcedureStep::Detect, "DETECT"},
}};

constexpr char kComKey[] = "COM";
constexpr int kPortCount = 4;

std::string portDeviceKey(int portNumber)
{
    return "COM" + std::to_string(portNumber) + " DEVICE";
}

// A missing, empty or non-numeric value, and 0, all select the first port.
// Other values are taken as they are; only the lowest int is raised by one so
// that the index below it exists.
int comIndexFromFile(const SettingsFile& file)
{
    const int portNumber = file.getInt(kComKey);
    return portNumber == 0 ? 0 : std::max(portNumber, std::numeric_limits<int>::min() + 1) - 1;
}

} // namespace

std::map<int, std::string> portDevicesFromFile(const SettingsFile& file)
{
    std::map<int, std::string> devices;
    for (int portNumber = 1; portNumber <= kPortCount; ++portNumber) {
        // "COM1 DEVICE = /dev/ttyUSB0" is a natural way to write it; the blank
        // after "=" is not part of the device name.
        const std::string device(trimmed(file.getString(portDeviceKey(portNumber))));
        if (!device.empty())
            devices[portNumber] = device;
    }
    return devices;
}

std::map<int, std::string> readPortDevices(const std::string& configPath)
{
    SettingsFile file;
    file.loadReadOnly(configPath);
    return portDevicesFromFile(file);
}

ProcedureSettings loadProcedureSettings(SettingsFile& file, const std::string& path)
{
    file.open(path);
    ProcedureSettings settings;
    for (const StepKey& entry : kStepKeys)
        settings.toggle(entry.step) = file.getInt(entry.key);
    settings.comIndex = comIndexFromFile(file);
    // A file that cannot be held for writing may still be read.
    settings.portDevices = file.isOpen() ? portDevicesFromFile(file) : readPortDevices(path);
    file.saveAndClose();
    return settings;
}

void saveProcedureSettings(SettingsFile& file, const std::string& path, const ProcedureSettings& settings)
{
    file.open(path);
    for (const StepKey& entry : kStepKeys)
        file.setInt(entry.key, settings.toggle(entry.step));
    file.setInt(kComKey, settings.portNumber());
    file.saveAndClose();
}

} // namespace orvex
