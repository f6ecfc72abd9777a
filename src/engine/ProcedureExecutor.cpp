#include "engine/ProcedureExecutor.h"

#include "device/TextFormat.h"
#include "engine/EngineTexts.h"
#include "engine/FastWakeUpRequest.h"
#include "engine/OutputFile.h"

#include <array>
#include <chrono>

namespace orvex {

namespace {

constexpr std::uint16_t kAlways = 0;

struct SequenceStep {
    RunStep step;
    std::uint16_t bit; // kAlways for the steps every run has
    int (ProgrammerDevice::*operation)();
    const char* failureMessage;
};

constexpr std::array kSequence{
    SequenceStep{RunStep::Detect, StepBit::Detect, &ProgrammerDevice::queryVersion, EngineTexts::kDetectFailed},
    SequenceStep{RunStep::PowerOn, kAlways, &ProgrammerDevice::powerOn, EngineTexts::kPowerOnFailed},
    SequenceStep{RunStep::Erase, StepBit::Erase, &ProgrammerDevice::eraseFlash, EngineTexts::kEraseFailed},
    SequenceStep{RunStep::BlankTest, StepBit::TestFF, &ProgrammerDevice::testBlank, EngineTexts::kBlankTestFailed},
    SequenceStep{RunStep::Program, StepBit::Program, &ProgrammerDevice::programFlash, EngineTexts::kProgramFailed},
    SequenceStep{RunStep::Verify, StepBit::Verify, &ProgrammerDevice::verifyFlash, EngineTexts::kVerifyFailed},
    SequenceStep{RunStep::Read, StepBit::Read, &ProgrammerDevice::readFlash, EngineTexts::kReadFailed},
    SequenceStep{RunStep::PowerOff, kAlways, &ProgrammerDevice::powerOff, EngineTexts::kPowerOffFailed},
};

// The target stays powered after a failure: nothing more is sent.
const SequenceStep* firstFailingStep(ProgrammerDevice& device, std::uint16_t stepSet)
{
    // Held only while frames go to and fro, not through the save dialog.
    const FastWakeUpRequest fastWakeUp;
    for (const SequenceStep& step : kSequence) {
        const bool wanted = step.bit == kAlways || (stepSet & step.bit) != 0;
        if (wanted && (device.*step.operation)() == 0)
            return &step;
    }
    return nullptr;
}

} // namespace

std::uint32_t steadyMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string formatRunTime(std::uint32_t t0, std::uint32_t t1)
{
    const std::uint32_t elapsedMs = t1 - t0;
    return formatText(EngineTexts::kRunSucceeded, static_cast<double>(elapsedMs) * 0.001);
}

int saveReadBackData(WorkerNotifier& notifier, std::span<const std::uint8_t> data)
{
    const auto path = notifier.chooseReadBackFile();
    if (!path || path->empty())
        return 0;
    if (const auto failure = writeOutputFile(*path, data)) {
        notifier.reportSaveFailure(*path, *failure);
        return 0;
    }
    return 1;
}

ProcedureExecutor::ProcedureExecutor(ProgrammerDevice& device, WorkerNotifier& notifier, MillisecondClock clock)
    : device_(device), notifier_(notifier), clock_(std::move(clock))
{
}

std::optional<RunOutcome> ProcedureExecutor::runProcedure()
{
    if (!pendingRun_)
        return std::nullopt;
    const std::uint32_t t0 = clock_();
    notifier_.setRunLamp(LampState::Blue);
    const std::uint16_t stepSet = *pendingRun_;
    pendingRun_.reset();
    device_.drainInput();
    device_.clearReadBackReady();
    if (const SequenceStep* failed = firstFailingStep(device_, stepSet))
        return failRun(failed->step, failed->failureMessage);
    return finishRun(t0);
}

RunOutcome ProcedureExecutor::finishRun(std::uint32_t t0)
{
    if (device_.readBackReady()) {
        device_.clearReadBackReady();
        // A cancelled or failed save does not change the run's outcome.
        saveReadBackData(notifier_, device_.readBackData());
    }
    notifier_.setRunLamp(LampState::Green);
    // Taken after the save dialog: the operator's time in it belongs to the run.
    RunOutcome outcome{std::nullopt, formatRunTime(t0, clock_())};
    notifier_.texts().setMainStatus(outcome.mainStatus);
    notifier_.enableControls(true);
    notifier_.postRefresh();
    return outcome;
}

RunOutcome ProcedureExecutor::failRun(RunStep step, const char* message)
{
    notifier_.setRunLamp(LampState::Red);
    notifier_.texts().setMainStatus(message);
    notifier_.enableControls(true);
    notifier_.postRefresh();
    return {step, message};
}

} // namespace orvex
