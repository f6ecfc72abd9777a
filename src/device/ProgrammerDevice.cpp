#include "device/ProgrammerDevice.h"

namespace orvex {

ProgrammerDevice::ProgrammerDevice(BytePort& port, RunObserver& observer, int receiveTimeoutMs)
    : observer_(observer), link_(port, receiveTimeoutMs)
{
}

ReceiveOutcome ProgrammerDevice::exchange()
{
    link_.sendFrame(tx_);
    return link_.receiveFrame(rx_);
}

ReceiveOutcome ProgrammerDevice::exchangeWithoutPayload(CommandCode command)
{
    tx_.setCommand(command);
    tx_.setLength(0);
    return exchange();
}

bool ProgrammerDevice::reportEnd(StepFinished finished)
{
    const bool ok = finished.ok();
    observer_.onRunEvent(std::move(finished));
    return ok;
}

StepOutcome lineFailure(ReceiveOutcome outcome)
{
    switch (outcome) {
    case ReceiveOutcome::BadCrc:
        return StepOutcome::BadCrc;
    case ReceiveOutcome::PortClosed:
        return StepOutcome::PortClosed;
    case ReceiveOutcome::Good:
    case ReceiveOutcome::NoReply:
        break;
    }
    return StepOutcome::NoReply;
}

} // namespace orvex
