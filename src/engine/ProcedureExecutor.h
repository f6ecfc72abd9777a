#pragma once

#include "device/ProgrammerDevice.h"
#include "engine/RunClock.h"
#include "notify/WorkerNotifier.h"

#include <cstdint>

namespace orvex {

// Runs one procedure on the worker thread: the ticked steps in their fixed
// order, stopping at the first failure with that step's message, power off
// only when everything before it passed, then the offer to save what was read
// and the run time.
class ProcedureExecutor {
public:
    ProcedureExecutor(ProgrammerDevice& device, WorkerNotifier& notifier, MillisecondClock clock = steadyMilliseconds);

    // What the worker took from the mailbox for the next pass.
    void setPendingRun(bool pending) { pendingRun_ = pending; }
    void setStepSet(std::uint16_t stepSet) { stepSet_ = stepSet; }

    // Does nothing unless a run is pending; otherwise runs it to its end.
    void runProcedure();

private:
    bool runSequence();
    void failRun(const char* message);
    void finishRun(std::uint32_t t0);

    ProgrammerDevice& device_;
    WorkerNotifier& notifier_;
    MillisecondClock clock_;
    bool pendingRun_ = false;
    std::uint16_t stepSet_ = 0;
};

} // namespace orvex
