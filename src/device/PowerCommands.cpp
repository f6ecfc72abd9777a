#include "device/ProgrammerDevice.h"

namespace orvex {

bool ProgrammerDevice::queryVersion()
{
    reportStart(RunStep::Detect);
    const ReceiveOutcome received = exchangeWithoutPayload(CommandCode::CmdGetVersion);
    if (received != ReceiveOutcome::Good)
        return reportEnd({RunStep::Detect, lineFailure(received)});
    // The reply has no status byte: whatever three bytes came are the version.
    StepFinished detected{RunStep::Detect};
    detected.unitVersion = std::array{static_cast<char>(rx_.payload(0)), static_cast<char>(rx_.payload(1)),
                                      static_cast<char>(rx_.payload(2))};
    return reportEnd(std::move(detected));
}

bool ProgrammerDevice::powerOn()
{
    return switchPower(RunStep::PowerOn, CommandCode::CmdPowerOn);
}

bool ProgrammerDevice::powerOff()
{
    return switchPower(RunStep::PowerOff, CommandCode::CmdPowerOff);
}

bool ProgrammerDevice::switchPower(RunStep step, CommandCode command)
{
    reportStart(step);
    const ReceiveOutcome received = exchangeWithoutPayload(command);
    if (received != ReceiveOutcome::Good)
        return reportEnd({step, lineFailure(received)});
    return reportEnd({step, rx_.status() != 0 ? StepOutcome::Refused : StepOutcome::Ok});
}

} // namespace orvex
