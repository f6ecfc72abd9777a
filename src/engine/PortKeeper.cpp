#include "engine/PortKeeper.h"

namespace orvex {

bool PortKeeper::reopenSerialPort(int portNumber, int baudRate)
{
    port_.close();
    const bool opened = port_.open(portNumber, baudRate);
    if (opened && trace_ != nullptr)
        trace_->portOpened();
    return showPortOutcome(opened);
}

void PortKeeper::showPortIfLost()
{
    if (portShownOpen_ && !port_.isOpen())
        showPortOutcome(false);
}

bool PortKeeper::showPortOutcome(bool opened)
{
    portShownOpen_ = opened;
    observer_.portChanged(opened, opened ? std::string() : port_.lastOpenError());
    return opened;
}

} // namespace orvex
