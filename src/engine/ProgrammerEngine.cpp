#include "engine/ProgrammerEngine.h"

namespace orvex {

namespace {

// The COM number a port given by its path stands under.
constexpr int kDevicePortNumber = 1;

} // namespace

ProgrammerEngine::ProgrammerEngine(ReadBackPrompt& readBackPrompt, PortObserver& portObserver, int receiveTimeoutMs)
    : port_(portObserver), device_(port_.port(), reporter_, receiveTimeoutMs),
      executor_(device_, reporter_, readBackPrompt), worker_(port_, executor_, mailbox_)
{
}

void ProgrammerEngine::setTrace(FrameTrace* trace)
{
    device_.link().setTrace(trace);
    port_.setTrace(trace);
}

void ProgrammerEngine::setPortDevices(PortDeviceMap devices)
{
    portDevices_ = devices;
    port_.port().setDeviceMap(std::move(devices));
}

void ProgrammerEngine::setPortDevice(const std::string& devicePath)
{
    setPortDevices({{kDevicePortNumber, devicePath}});
    setPortNumber(kDevicePortNumber);
}

} // namespace orvex
