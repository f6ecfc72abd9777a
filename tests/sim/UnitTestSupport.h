#pragma once

#include "sim/SimulatedUnit.h"
#include "support/TtyClient.h"
#include "support/WireFrames.h"

#include <gtest/gtest.h>

namespace orvex::sim::test {

// The line and frame helpers shared with the other pty tests.
using namespace orvex::test;

inline std::uint8_t statusByte(UnitStatus status)
{
    return static_cast<std::uint8_t>(status);
}

// Drives a SimulatedUnit the way the PC does and decodes its replies.
class UnitDriver {
public:
    explicit UnitDriver(UnitOptions options = {}) : unit(std::move(options)) {}

    UnitReply send(CommandCode command, std::span<const std::uint8_t> payload = {})
    {
        return unit.handleRequest(static_cast<std::uint8_t>(command), payload);
    }
    WireReply exchange(CommandCode command, std::span<const std::uint8_t> payload = {})
    {
        const auto reply = decodeReply(send(command, payload).bytes);
        EXPECT_TRUE(reply.has_value()) << "no reply frame to command " << static_cast<int>(command);
        return reply.value_or(WireReply{});
    }
    std::uint8_t status(CommandCode command, std::span<const std::uint8_t> payload = {})
    {
        return exchange(command, payload).status();
    }
    void powerOn() { ASSERT_EQ(status(CommandCode::CmdPowerOn), 0); }
    // Program init, one block, end; all must succeed.
    void program(std::uint32_t address, std::span<const std::uint8_t> data)
    {
        ASSERT_EQ(status(CommandCode::CmdProgramInit), 0);
        ASSERT_EQ(status(CommandCode::CmdProgramBlock, dataBlock(address, data)), 0);
        ASSERT_EQ(status(CommandCode::CmdProgramEnd), 0);
    }

    SimulatedUnit unit;
};

} // namespace orvex::sim::test
