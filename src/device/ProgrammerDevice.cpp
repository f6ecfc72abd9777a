#include "device/ProgrammerDevice.h"

namespace orvex {

ProgrammerDevice::ProgrammerDevice(WorkerNotifier& notifier, int receiveTimeoutMs)
    : notifier_(notifier), link_(port_, receiveTimeoutMs)
{
}

int ProgrammerDevice::reopenSerialPort(int portNumber, int baudRate)
{
    port_.close();
    return showPortOutcome(port_.open(portNumber, baudRate));
}

int ProgrammerDevice::reopenSerialDevice(const std::string& devicePath, int baudRate)
{
    port_.close();
    return showPortOutcome(port_.openDevice(devicePath, baudRate));
}

int ProgrammerDevice::showPortOutcome(bool opened)
{
    portShownOpen_ = opened;
    notifier_.setPortLamp(opened ? LampState::Green : LampState::Red);
    return opened ? 1 : 0;
}

void ProgrammerDevice::showPortIfLost()
{
    if (portShownOpen_ && !port_.isOpen())
        showPortOutcome(false);
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

bool ProgrammerDevice::exchangeEmpty(CommandCode command)
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
