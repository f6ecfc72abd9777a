#pragma once

#include "device/ProgrammerDevice.h"
#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace orvex {

// A millisecond counter that wraps at 32 bits, like the system tick the run
// time has always been measured with.
using MillisecondClock = std::function<std::uint32_t()>;

std::uint32_t steadyMilliseconds();

// "PROGRAM OK. Czas: 12.345 s" for a run from t0 to t1; the unsigned
// difference stays right across a wrap of the counter.
std::string formatRunTime(std::uint32_t t0, std::uint32_t t1);

// Asks the operator for a file and writes the bytes read back from the chip
// into it, exactly as read: no header, no padding. An existing file is
// replaced only once the new one is complete; a device or a fifo is written
// in place, and "-" is standard output (see writeOutputFile). Returns 1 when
// written, 0 when the operator cancelled or the write failed (the failure is
// reported to the operator).
int saveReadBackData(WorkerNotifier& notifier, std::span<const std::uint8_t> data);

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
