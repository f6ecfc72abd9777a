#include "ui/ProgrammerEngine.h"

namespace orvex::ui {

ProgrammerEngine::ProgrammerEngine(WorkerNotifier& notifier)
    : device_(notifier), executor_(device_, notifier), worker_(device_, executor_, mailbox_)
{
}

void ProgrammerEngine::setPortDevices(PortDeviceMap devices)
{
    portDevices_ = devices;
    device_.port().setDeviceMap(std::move(devices));
}

void ProgrammerEngine::setImage(std::span<const std::uint8_t> data)
{
    device_.setImage(data.data(), static_cast<int>(data.size()));
}

} // namespace orvex::ui
