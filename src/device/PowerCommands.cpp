#include "device/DeviceTexts.h"
#include "device/ProgrammerDevice.h"
#include "device/TextFormat.h"

namespace orvex {

int ProgrammerDevice::queryVersion()
{
    // No refresh here: the next one of the run shows the line.
    if (!exchangeWithoutPayload(CommandCode::CmdGetVersion)) {
        notifier_.texts().setStepLine(ProcedureStep::Detect, DeviceTexts::kConnectionError);
        return 0;
    }
    notifier_.texts().setStepLine(ProcedureStep::Detect,
        formatText(DeviceTexts::kVersionOnline, rx_.payload(0), rx_.payload(1), rx_.payload(2)));
    return 1;
}

int ProgrammerDevice::powerOn()
{
    return switchPower(CommandCode::CmdPowerOn, DeviceTexts::kPowerOnError);
}

int ProgrammerDevice::powerOff()
{
    return switchPower(CommandCode::CmdPowerOff, DeviceTexts::kPowerOffError);
}

int ProgrammerDevice::switchPower(CommandCode command, const char* refusalText)
{
    const char* failureText = nullptr;
    if (!exchangeWithoutPayload(command))
        failureText = DeviceTexts::kCommunicationError;
    else if (rx_.status() != 0)
        failureText = refusalText;
    if (failureText == nullptr)
        return 1;
    notifier_.texts().setMainStatus(failureText);
    notifier_.postRefresh();
    return 0;
}

} // namespace orvex
