#include "device/ProgrammerDevice.h"

namespace orvex {

bool ProgrammerDevice::eraseFlash()
{
    return runWholeFlashCommand(RunStep::Erase, CommandCode::CmdErase, StepOutcome::Refused);
}

bool ProgrammerDevice::testBlank()
{
    return runWholeFlashCommand(RunStep::BlankTest, CommandCode::CmdBlankTest, StepOutcome::NotBlank);
}

bool ProgrammerDevice::runWholeFlashCommand(RunStep step, CommandCode command, StepOutcome refusal)
{
    reportStart(step);
    const ReceiveOutcome received = exchangeWithoutPayload(command);
    if (received != ReceiveOutcome::Good)
        return reportEnd({step, lineFailure(received)});
    return reportEnd({step, rx_.status() != 0 ? refusal : StepOutcome::Ok});
}

} // namespace orvex
