#include "ui/ProgrammerEngine.h"

namespace orvex::ui {

ProgrammerEngine::ProgrammerEngine(WorkerNotifier& notifier)
    : port_(notifier), device_(port_.port(), notifier), executor_(device_, notifier), worker_(port_, executor_, mailbox_)
{
}

void ProgrammerEngine::setPortDevices(PortDeviceMap devices)
{
    portDevices_ = devices;
    port_.port().setDeviceMap(std::move(devices));
}

void ProgrammerEngine::setImage(std::span<const std::uint8_t> data)
{
    device_.setImage(data.data(), static_cast<int>(data.size()));
}

} // namespace orvex::ui
