#pragma once

#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"

#include <string>
#include <variant>

namespace orvex::sim {

// Everything the orvex-sim command line can set.
struct ProgramOptions {
    UnitOptions unit;
    PtyUnitServerOptions server;
    std::string linkPath;  // empty: no symlink
    std::string flashPath; // empty: the flash starts erased and is not kept
    std::string statsPath; // empty: the timing report goes to standard error
    bool showHelp = false;
};

// The options, or the message saying what is wrong with the command line.
std::variant<ProgramOptions, std::string> parseProgramOptions(int argc, char* argv[]);
std::string programHelpText();

} // namespace orvex::sim
