#pragma once

#include "device/ProgrammerDevice.h"
#include "notify/ReadBackPrompt.h"
#include "notify/RunEvents.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace orvex {

// A millisecond counter that wraps at 32 bits, like the system tick the run
// time has always been measured with.
using MillisecondClock = std::function<std::uint32_t()>;

std::uint32_t steadyMilliseconds();

// The seconds from t0 to t1 on that counter; the unsigned difference stays
// right across a wrap.
double secondsBetween(std::uint32_t t0, std::uint32_t t1);

// Asks where the bytes read back from the chip go and writes them there,
// exactly as read: no header, no padding. An existing file is replaced only
// once the new one is complete; a device or a fifo is written in place, and
// "-" is standard output (see writeOutputFile). A failed write is reported
// to the operator and, where the prompt offers it, the question comes again.
// The path written, or none when the operator cancelled or the write failed.
std::optional<std::string> saveReadBackData(ReadBackPrompt& prompt, std::span<const std::uint8_t> data);

// What a front end asks the worker to run: the steps, as the window's step
// bits, and the firmware to program or verify, which stays as it was taken
// for the whole run.
struct RunRequest {
    std::uint16_t stepSet = 0;
    std::shared_ptr<const RunImage> image;
};

// Runs one procedure on the worker thread: the chosen steps in their fixed
// order, stopping at the first failure, power off only when everything
// before it passed, then the offer to save what was read. Everything it does
// goes to the observer as events.
class ProcedureExecutor {
public:
    ProcedureExecutor(ProgrammerDevice& device, RunObserver& observer, ReadBackPrompt& prompt,
                      MillisecondClock clock = steadyMilliseconds);

    RunFinished runProcedure(const RunRequest& request);

private:
    std::optional<RunStep> firstFailingStep(const RunRequest& request);
    bool runStep(RunStep step, std::span<const std::uint8_t> image);
    std::optional<ReadBackFacts> saveReadBack();

    ProgrammerDevice& device_;
    RunObserver& observer_;
    ReadBackPrompt& prompt_;
    MillisecondClock clock_;
};

// The steps a step set chooses, in the order a run takes them; without the
// power steps, which every run has.
std::vector<RunStep> chosenSteps(std::uint16_t stepSet);

} // namespace orvex
