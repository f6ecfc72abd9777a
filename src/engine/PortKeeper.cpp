#include "engine/PortKeeper.h"

namespace orvex {

int PortKeeper::reopenSerialPort(int portNumber, int baudRate)
{
    port_.close();
    return showPortOutcome(port_.open(portNumber, baudRate));
}

void PortKeeper::showPortIfLost()
{
    if (portShownOpen_ && !port_.isOpen())
        showPortOutcome(false);
}

int PortKeeper::showPortOutcome(bool opened)
{
    portShownOpen_ = opened;
    notifier_.setPortLamp(opened ? LampState::Green : LampState::Red);
    return opened ? 1 : 0;
}

} // namespace orvex
