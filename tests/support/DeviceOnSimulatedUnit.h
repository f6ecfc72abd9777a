#pragma once

#include "link/SerialPort.h"
#include "sim/PtyUnitServer.h"
#include "support/DeviceOnMemoryUnit.h"

namespace orvex::test {

// The device's serial port is connected, through a real pty, to the unit,
// which a server thread drives: the whole way a run takes.
class DeviceOnSimulatedUnit : public SimulatedUnitFixture {
protected:
    sim::PtyUnitServer server{unit};
    SerialPort port;
    ProgrammerDevice device{port, reporter, kShortReceiveTimeoutMs};

    void SetUp() override
    {
        ASSERT_TRUE(port.openDevice(server.devicePath(), 115200));
        notifier.clearEvents();
    }
};

} // namespace orvex::test
