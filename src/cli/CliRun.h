#pragma once

#include "cli/CliOptions.h"

namespace orvex::cli {

// Loads the firmware, opens the port and runs the procedure the options ask
// for, on the calling thread. Returns the process exit status.
int runCli(const CliOptions& options);

} // namespace orvex::cli
