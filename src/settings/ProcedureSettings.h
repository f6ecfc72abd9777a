#pragma once

#include "notify/ProcedureStep.h"
#include "settings/SettingsFile.h"

#include <array>
#include <cstddef>
#include <map>
#include <string>

namespace orvex {

// The operator's step toggles and COM port choice, kept in config.cfg.
struct ProcedureSettings {
    // Indexed by ProcedureStep; 1 ticked, 0 not.
    std::array<int, kProcedureStepCount> toggles{};
    // 0 for COM1 up to 3 for COM4; -1 when no port is selected. Values read
    // from the file are not corrected, so others are possible.
    int comIndex = 0;
    // Port number -> device path from the optional "COM<n> DEVICE" keys. Only
    // read: saving leaves those lines as the operator wrote them.
    std::map<int, std::string> portDevices;

    int& toggle(ProcedureStep step) { return toggles[static_cast<std::size_t>(step)]; }
    int toggle(ProcedureStep step) const { return toggles[static_cast<std::size_t>(step)]; }
    // The port the worker opens: the selection's index + 1.
    int portNumber() const { return comIndex + 1; }
};

// Port number -> device from the "COM<n> DEVICE" keys of a loaded file, values
// trimmed.
std::map<int, std::string> portDevicesFromFile(const SettingsFile& file);
// The same from the config file at configPath, read without writing, locking
// or creating anything, so it needs no write access and never disturbs the
// window's copy. Empty when the file is missing, unreadable or too long.
std::map<int, std::string> readPortDevices(const std::string& configPath);

// Opens the file at path through the given object, reads the settings and
// closes it again, rewriting it in the written form with the same lines. When
// it cannot be opened, the object's lines (none at start-up) give the values;
// the port devices are still read from the file if it can be read at all.
ProcedureSettings loadProcedureSettings(SettingsFile& file, const std::string& path);
// Reopens the file, puts the seven toggles and the port number (comIndex + 1)
// in place of their keys or appends them, and writes it; other lines stay.
void saveProcedureSettings(SettingsFile& file, const std::string& path, const ProcedureSettings& settings);

} // namespace orvex
