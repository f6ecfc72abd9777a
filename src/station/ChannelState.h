#pragma once

#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvex::station {

// What a channel shows, as its worker last left it. The window takes a copy
// now and then and draws what changed; it never waits for the worker.
struct ChannelState {
    std::uint64_t version = 0; // counts every change
    LampState lamp = LampState::Blue;
    bool running = false;
    bool portOpen = false;
    std::string portProblem; // why the port is not open, when it is known
    std::string stepLine;    // the status line of the step under way, or of the last one
    int progressDone = 0;
    int progressTotal = 0;
    std::optional<std::int64_t> serial; // the number this run writes
    std::string result;                 // the result line of the last run, or why it did not start
    int passed = 0;
    int failed = 0;
    int runsEnded = 0; // passed and failed, and runs that could not start
};

} // namespace orvex::station
