#include "engine/ProcedureExecutor.h"

#include "engine/EngineTexts.h"
#include "engine/ReadBackSaving.h"

#include <array>

namespace orvex {

namespace {

constexpr std::uint16_t kAlways = 0;

struct SequenceStep {
    std::uint16_t bit; // kAlways for the steps every run has
    int (ProgrammerDevice::*operation)();
    const char* failureMessage;
};

constexpr std::array kSequence{
    SequenceStep{StepBit::Detect, &ProgrammerDevice::queryVersion, EngineTexts::kDetectFailed},
    SequenceStep{kAlways, &ProgrammerDevice::powerOn, EngineTexts::kPowerOnFailed},
    SequenceStep{StepBit::Erase, &ProgrammerDevice::eraseFlash, EngineTexts::kEraseFailed},
    SequenceStep{StepBit::TestFF, &ProgrammerDevice::testBlank, EngineTexts::kBlankTestFailed},
    SequenceStep{StepBit::Program, &ProgrammerDevice::programFlash, EngineTexts::kProgramFailed},
    SequenceStep{StepBit::Verify, &ProgrammerDevice::verifyFlash, EngineTexts::kVerifyFailed},
    SequenceStep{StepBit::Read, &ProgrammerDevice::readFlash, EngineTexts::kReadFailed},
    SequenceStep{kAlways, &ProgrammerDevice::powerOff, EngineTexts::kPowerOffFailed},
};

} // namespace

ProcedureExecutor::ProcedureExecutor(ProgrammerDevice& device, WorkerNotifier& notifier, MillisecondClock clock)
    : device_(device), notifier_(notifier), clock_(std::move(clock))
{
}

void ProcedureExecutor::runProcedure()
{
    if (!pendingRun_)
        return;
    const std::uint32_t t0 = clock_();
    notifier_.setRunLamp(LampState::Blue);
    pendingRun_ = false;
    device_.drainInput();
    device_.clearReadBackReady();
    if (runSequence())
        finishRun(t0);
}

bool ProcedureExecutor::runSequence()
{
    for (const SequenceStep& step : kSequence) {
        const bool wanted = step.bit == kAlways || (stepSet_ & step.bit) != 0;
        if (wanted && (device_.*step.operation)() == 0) {
            // The target stays powered: nothing more is sent after a failure.
            failRun(step.failureMessage);
            return false;
        }
    }
    return true;
}

void ProcedureExecutor::finishRun(std::uint32_t t0)
{
    if (device_.readBackReady()) {
        device_.clearReadBackReady();
        // A cancelled or failed save does not change the run's outcome.
        saveReadBackData(notifier_, device_.readBackData());
    }
    notifier_.setRunLamp(LampState::Green);
    // Taken after the save dialog: the operator's time in it belongs to the run.
    notifier_.texts().setMainStatus(formatRunTime(t0, clock_()));
    notifier_.enableControls(true);
    notifier_.postRefresh();
}

void ProcedureExecutor::failRun(const char* message)
{
    notifier_.setRunLamp(LampState::Red);
    notifier_.texts().setMainStatus(message);
    notifier_.enableControls(true);
    notifier_.postRefresh();
}

} // namespace orvex
