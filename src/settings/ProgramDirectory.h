#pragma once

#include <string>
#include <string_view>

namespace orvex {

// The directory that holds the program file, set once at start-up before any
// settings file is opened and only read afterwards.

// Linux: the executable's own directory. Windows: taken from the process
// command line by programDirectoryFromCommandLine().
void deriveProgramDirectory();
// Empty until deriveProgramDirectory() or setProgramDirectoryForTesting().
const std::string& programDirectory();
void setProgramDirectoryForTesting(const std::string& directory);

// The command line with its first byte (the opening quote of the program
// path) dropped, cut at its last backslash; empty without a backslash. An
// argument holding a backslash moves the cut into the argument, and the
// directory then names no real place.
std::string programDirectoryFromCommandLine(std::string_view commandLine);

} // namespace orvex
