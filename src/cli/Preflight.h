#pragma once

#include "cli/CliOptions.h"
#include "notify/OperatorText.h"

#include <optional>
#include <string>

namespace orvex {
class FirmwareImage;
}

namespace orvex::cli {

// Why a run is refused before anything is sent to the unit, and the exit
// status that says so.
struct Refusal {
    int exitStatus;
    std::string message;
};

// A refusal's reason, and a job's that cannot run.
inline constexpr OperatorText kNothingSent = ORVEX_TEXT("Preflight", "%1; nothing was sent");
inline constexpr OperatorText kJobRefused = ORVEX_TEXT("Preflight", "job %1: %2; nothing was sent");

// The loaded firmware must be a file that was read whole and, unless the
// options are lenient, a HEX file without rejected lines, with its end
// record, holding data. Never larger than the flash.
std::optional<Refusal> checkFirmware(const FirmwareImage& image, const CliOptions& options);

// The read-back must have somewhere to go before a 45-second read starts:
// not a directory, in a folder that exists and can be written.
std::optional<Refusal> checkReadBackTarget(const std::string& path);

} // namespace orvex::cli
