#include "device/ProgrammerDevice.h"

namespace orvex {

ProgrammerDevice::ProgrammerDevice(BytePort& port, WorkerNotifier& notifier, int receiveTimeoutMs)
    : notifier_(notifier), link_(port, receiveTimeoutMs)
{
}

int ProgrammerDevice::sendFrame()
{
    return link_.sendFrame(tx_);
}

bool ProgrammerDevice::receiveFrame()
{
    return link_.receiveFrame(rx_);
}

void ProgrammerDevice::drainInput()
{
    link_.drainInput();
}

bool ProgrammerDevice::exchangeWithoutPayload(CommandCode command)
{
    tx_.setCommand(command);
    tx_.setLength(0);
    sendFrame();
    return receiveFrame();
}

void ProgrammerDevice::setImage(const std::uint8_t* data, int size)
{
    imageData_ = data;
    imageSize_ = size;
}

void ProgrammerDevice::showStart(ProcedureStep step, const std::string& lineText, const char* runningSuffix)
{
    notifier_.texts().setStepLine(step, lineText);
    notifier_.texts().setMainStatus(lineText + runningSuffix);
    notifier_.postRefresh();
}

void ProgrammerDevice::showResult(ProcedureStep step, const std::string& lineText)
{
    notifier_.texts().setStepLine(step, lineText);
    notifier_.texts().setMainStatus(lineText);
    notifier_.postRefresh();
}

} // namespace orvex
