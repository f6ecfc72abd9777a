#pragma once

#include "device/ProgrammerDevice.h"
#include "link/MemoryPort.h"
#include "sim/RequestParser.h"
#include "sim/SimulatedUnit.h"
#include "support/PresentedEvents.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvex::test {

inline std::uint8_t commandByte(CommandCode command)
{
    return static_cast<std::uint8_t>(command);
}

// The simulated unit as the far end of an in-memory port: it answers every
// request at once, in the caller's thread. The time it would work is not
// waited for.
inline MemoryPort::FarEnd answeredBy(sim::SimulatedUnit& unit)
{
    return [&unit, parser = std::make_shared<sim::RequestParser>()](std::span<const std::uint8_t> request) {
        MemoryPort::Answer answer;
        for (const std::uint8_t byte : request) {
            if (!parser->feed(byte))
                continue;
            sim::UnitReply reply = unit.handleRequest(parser->command(), parser->payload());
            if (!reply.bytes.empty())
                answer.pieces.push_back(std::move(reply.bytes));
        }
        return answer;
    };
}

// A ProgrammerDevice talking to a simulated unit, and what the tests ask of
// them. The device's events reach the notifier as the window shows them. The
// receive deadline is short so that silent-unit cases do not cost five
// seconds each.
class SimulatedUnitFixture : public ::testing::Test, protected PresentedEvents {
protected:
    static constexpr int kShortReceiveTimeoutMs = 300;

    sim::SimulatedUnit unit;

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

// The device's port is an in-memory pipe to the unit: no pty, no thread.
class DeviceOnMemoryUnit : public SimulatedUnitFixture {
protected:
    MemoryPort port;
    ProgrammerDevice device{port, reporter, kShortReceiveTimeoutMs};

    void SetUp() override { port.answerWith(answeredBy(unit)); }
};

} // namespace orvex::test
