#pragma once

#include "cli/CliOptions.h"

namespace orvex::cli {

// Loads and checks the firmware, checks where the read-back goes, opens the
// port and runs the procedure the options ask for, on the calling thread.
// Nothing is sent to the unit unless every check passed. Returns the process
// exit status.
int runCli(const CliOptions& options);

// Prints the serial ports of the system and what COM1 to COM4 stand for.
int listPorts();

} // namespace orvex::cli
