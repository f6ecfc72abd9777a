#include "device/DeviceTexts.h"
#include "device/ProgrammerDevice.h"

namespace orvex {

int ProgrammerDevice::eraseFlash()
{
    return runWholeFlashCommand(ProcedureStep::Erase, DeviceTexts::kErasing, CommandCode::CmdErase, false);
}

int ProgrammerDevice::testBlank()
{
    // The blank test leaves its verdict in the main status text as well.
    return runWholeFlashCommand(ProcedureStep::TestFF, DeviceTexts::kBlankTesting, CommandCode::CmdBlankTest, true);
}

int ProgrammerDevice::runWholeFlashCommand(ProcedureStep step, const char* startText, CommandCode command,
                                           bool keepOutcomeInMainStatus)
{
    std::string lineText = startText;
    notifier_.texts().setStepLine(step, lineText);
    notifier_.texts().setMainStatus(lineText);
    notifier_.postRefresh();

    int result = 0;
    if (!exchangeWithoutPayload(command)) {
        lineText = DeviceTexts::kNoConnection;
    } else if (rx_.status() != 0) {
        lineText += DeviceTexts::kError;
    } else {
        lineText += DeviceTexts::kOk;
        result = 1;
    }

    notifier_.texts().setStepLine(step, lineText);
    notifier_.texts().setMainStatus(keepOutcomeInMainStatus ? lineText : std::string());
    notifier_.postRefresh();
    return result;
}

} // namespace orvex
