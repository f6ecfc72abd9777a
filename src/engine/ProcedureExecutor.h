#pragma once

#include "device/ProgrammerDevice.h"
#include "engine/RunClock.h"
#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvex {

// The operations of a run, in their order.
enum class RunStep { Detect, PowerOn, Erase, BlankTest, Program, Verify, Read, PowerOff };

// What a run came to.
struct RunOutcome {
    std::optional<RunStep> failedStep; // none when every step passed
    std::string mainStatus;            // the result line the run ends with
    bool succeeded() const { return !failedStep; }
};

// Runs one procedure on the worker thread: the ticked steps in their fixed
// order, stopping at the first failure with that step's message, power off
// only when everything before it passed, then the offer to save what was read
// and the run time.
class ProcedureExecutor {
public:
    ProcedureExecutor(ProgrammerDevice& device, WorkerNotifier& notifier, MillisecondClock clock = steadyMilliseconds);

    // The step set of the run the worker took for the next pass, if any.
    void setPendingRun(std::optional<std::uint16_t> stepSet) { pendingRun_ = stepSet; }

    // Does nothing and gives no outcome unless a run is pending; otherwise
    // runs it to its end. The window learns the same from the notifier.
    std::optional<RunOutcome> runProcedure();

private:
    RunOutcome failRun(RunStep step, const char* message);
    RunOutcome finishRun(std::uint32_t t0);

    ProgrammerDevice& device_;
    WorkerNotifier& notifier_;
    MillisecondClock clock_;
    std::optional<std::uint16_t> pendingRun_;
};

} // namespace orvex
