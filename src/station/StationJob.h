#pragma once

#include "notify/RunEvents.h"
#include "records/JobFile.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace orvex::station {

// A job as the line runs it: the job file's procedure and the firmware it
// names, loaded once and checked against the job's digest. Every channel
// programs these bytes (with its own serial number, if the job numbers
// units); nothing in the window can change them.
struct StationJob {
    std::string path;
    Job job;
    std::shared_ptr<const RunImage> image; // none when the steps neither program nor verify
};

// The job in the file, ready for the line, or why the line cannot run it,
// in the operator's words. recordsEnabled: whether a job that numbers its
// units can take numbers.
std::variant<StationJob, std::string> loadStationJob(const std::string& path, bool recordsEnabled);

// Why the firmware file no longer is the one the job was loaded with, if it
// is not: the engineer changed it on disk, and no unit may get either the
// old or the new bytes until the job is opened again.
std::optional<std::string> firmwareChangedOnDisk(const StationJob& loaded);

// The job's steps as the programmer window names them, e.g.
// "Skasuj Pamiec · Programuj · Weryfikuj".
std::string stepsText(std::uint16_t stepSet);

} // namespace orvex::station
