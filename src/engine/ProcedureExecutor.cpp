#include "engine/ProcedureExecutor.h"

#include "engine/FastWakeUpRequest.h"
#include "engine/OutputFile.h"
#include "engine/RunTexts.h"
#include "engine/Sha256.h"
#include "notify/ProcedureStep.h"

#include <array>
#include <chrono>

namespace orvex {

namespace {

constexpr std::uint16_t kAlways = 0;

struct SequenceStep {
    RunStep step;
    std::uint16_t bit; // kAlways for the steps every run has
};

constexpr std::array kSequence{
    SequenceStep{RunStep::Detect, StepBit::Detect},   SequenceStep{RunStep::PowerOn, kAlways},
    SequenceStep{RunStep::Erase, StepBit::Erase},     SequenceStep{RunStep::BlankTest, StepBit::TestFF},
    SequenceStep{RunStep::Program, StepBit::Program}, SequenceStep{RunStep::Verify, StepBit::Verify},
    SequenceStep{RunStep::Read, StepBit::Read},       SequenceStep{RunStep::PowerOff, kAlways},
};

bool isChosen(const SequenceStep& step, std::uint16_t stepSet)
{
    return step.bit == kAlways || (stepSet & step.bit) != 0;
}

} // namespace

std::uint32_t steadyMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

double secondsBetween(std::uint32_t t0, std::uint32_t t1)
{
    const std::uint32_t elapsedMs = t1 - t0;
    return static_cast<double>(elapsedMs) / 1000.0;
}

std::optional<std::string> saveReadBackData(ReadBackPrompt& prompt, std::span<const std::uint8_t> data)
{
    do {
        auto path = prompt.chooseReadBackFile();
        if (!path || path->empty())
            return std::nullopt;
        const auto failure = writeOutputFile(*path, data);
        if (!failure)
            return path;
        prompt.reportSaveFailure(*path, *failure);
    } while (prompt.offersSaveAgain());
    return std::nullopt;
}

std::vector<RunStep> chosenSteps(std::uint16_t stepSet)
{
    std::vector<RunStep> steps;
    for (const SequenceStep& step : kSequence)
        if (step.bit != kAlways && isChosen(step, stepSet))
            steps.push_back(step.step);
    return steps;
}

ProcedureExecutor::ProcedureExecutor(ProgrammerDevice& device, RunObserver& observer, ReadBackPrompt& prompt,
                                     MillisecondClock clock)
    : device_(device), observer_(observer), prompt_(prompt), clock_(std::move(clock))
{
}

RunFinished ProcedureExecutor::runProcedure(const RunRequest& request)
{
    const std::uint32_t t0 = clock_();
    observer_.onRunEvent(RunStarted{chosenSteps(request.stepSet), request.image});
    device_.drainInput();
    device_.clearReadBackReady();
    RunFinished finished;
    finished.failedStep = firstFailingStep(request);
    if (finished.ok())
        finished.readBack = saveReadBack();
    // Taken after the save dialog: the operator's time in it belongs to the run.
    finished.seconds = secondsBetween(t0, clock_());
    finished.message = RunTexts::runMessage(finished);
    observer_.onRunEvent(finished);
    return finished;
}

// The target stays powered after a failure: nothing more is sent.
std::optional<RunStep> ProcedureExecutor::firstFailingStep(const RunRequest& request)
{
    const std::span<const std::uint8_t> image =
        request.image ? std::span(request.image->bytes) : std::span<const std::uint8_t>();
    // Held only while frames go to and fro, not through the save dialog.
    const FastWakeUpRequest fastWakeUp;
    for (const SequenceStep& step : kSequence)
        if (isChosen(step, request.stepSet) && !runStep(step.step, image))
            return step.step;
    return std::nullopt;
}

bool ProcedureExecutor::runStep(RunStep step, std::span<const std::uint8_t> image)
{
    switch (step) {
    case RunStep::Detect:
        return device_.queryVersion();
    case RunStep::PowerOn:
        return device_.powerOn();
    case RunStep::Erase:
        return device_.eraseFlash();
    case RunStep::BlankTest:
        return device_.testBlank();
    case RunStep::Program:
        return device_.programFlash(image);
    case RunStep::Verify:
        return device_.verifyFlash(image);
    case RunStep::Read:
        return device_.readFlash();
    case RunStep::PowerOff:
        break;
    }
    return device_.powerOff();
}

std::optional<ReadBackFacts> ProcedureExecutor::saveReadBack()
{
    if (!device_.readBackReady())
        return std::nullopt;
    device_.clearReadBackReady();
    const std::span<const std::uint8_t> data = device_.readBackData();
    // A cancelled or failed save does not change the run's outcome.
    return ReadBackFacts{saveReadBackData(prompt_, data), data.size(), sha256Hex(data)};
}

} // namespace orvex
