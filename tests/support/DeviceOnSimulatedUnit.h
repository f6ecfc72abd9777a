#pragma once

#include "device/ProgrammerDevice.h"
#include "sim/PtyUnitServer.h"
#include "support/RecordingNotifier.h"
#include "sim/SimulatedUnit.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvex::test {

inline std::uint8_t commandByte(CommandCode command)
{
    return static_cast<std::uint8_t>(command);
}

// A ProgrammerDevice whose serial port is connected, through a real pty, to a
// simulated unit. The receive deadline is short so that silent-unit cases do
// not cost five seconds each.
class DeviceOnSimulatedUnit : public ::testing::Test {
protected:
    static constexpr int kShortReceiveTimeoutMs = 300;

    sim::SimulatedUnit unit;
    sim::PtyUnitServer server{unit};
    RecordingNotifier notifier;
    ProgrammerDevice device{notifier, kShortReceiveTimeoutMs};

    void SetUp() override
    {
        ASSERT_EQ(device.reopenSerialDevice(server.devicePath(), 115200), 1);
        notifier.clearEvents();
    }

    void addFault(CommandCode command, sim::FaultAction action, int occurrence = 0, std::uint8_t value = 1)
    {
        unit.addFault({commandByte(command), occurrence, action, value});
    }

    // The commands of the requests the unit received, in order.
    std::vector<std::uint8_t> receivedCommands() const
    {
        std::vector<std::uint8_t> commands;
        for (const auto& request : unit.requests())
            commands.push_back(request.command);
        return commands;
    }
};

} // namespace orvex::test
