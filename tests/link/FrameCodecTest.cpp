#include "link/Crc8Maxim.h"
#include "link/Frame.h"
#include "link/FrameLink.h"
#include "link/MemoryPort.h"
#include "support/Timing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using namespace orvex;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes wire(Frame& frame)
{
    auto bytes = frame.seal();
    return Bytes(bytes.begin(), bytes.end());
}

Bytes emptyRequest(CommandCode code)
{
    Frame frame;
    frame.setCommand(code);
    frame.setLength(0);
    return wire(frame);
}

Bytes statusReply(std::uint8_t command, std::uint8_t status)
{
    Frame frame;
    frame[Frame::kCommandOffset] = command;
    frame.setLength(1);
    frame.setPayload(0, status);
    return wire(frame);
}

} // namespace

TEST(FrameFormat, CrcCheckValueOverDigits)
{
    constexpr std::string_view digits = "123456789";
    const Bytes bytes(digits.begin(), digits.end());
    EXPECT_EQ(Crc8Maxim::compute(bytes), 0xA1);
}

TEST(FrameFormat, WorkedFramesComeOutByteForByte)
{
    EXPECT_EQ(emptyRequest(CommandCode::CmdGetVersion), (Bytes{0xAA, 0x55, 0x00, 0x00, 0x4E}));
    EXPECT_EQ(emptyRequest(CommandCode::CmdPowerOn), (Bytes{0xAA, 0x55, 0x00, 0x0D, 0xB3}));
    EXPECT_EQ(statusReply(0x0D, 0x00), (Bytes{0xAA, 0x55, 0x01, 0x0D, 0x00, 0x7B}));

    Frame readBlock;
    readBlock.setCommand(CommandCode::CmdReadBlock);
    readBlock.setLength(8);
    readBlock.setPayloadU16(0, 1);
    readBlock.setPayloadU16(2, 64);
    readBlock.setPayloadU32(4, 64);
    EXPECT_EQ(wire(readBlock), (Bytes{0xAA, 0x55, 0x08, 0x02, 0x01, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0x51}));
}

TEST(FrameFormat, CrcOfSealedFrameFromSecondSyncIsZero)
{
    Frame frame;
    frame.setCommand(CommandCode::CmdProgramBlock);
    frame.setLength(72);
    for (int i = 0; i < 72; ++i)
        frame.setPayload(i, static_cast<std::uint8_t>(i * 37));
    const auto bytes = frame.seal();
    EXPECT_EQ(bytes.size(), 77u);
    EXPECT_EQ(Crc8Maxim::compute(bytes.subspan(1)), 0);
}

TEST(FrameFormat, SendHandsTheWholeFrameToThePort)
{
    test::MemoryPort port;
    FrameLink link(port);
    Frame tx;
    tx.setCommand(CommandCode::CmdPowerOn);
    tx.setLength(0);
    EXPECT_EQ(link.sendFrame(tx), 5);
    EXPECT_EQ(port.sent(), (Bytes{0xAA, 0x55, 0x00, 0x0D, 0xB3}));

    port.setOpen(false);
    EXPECT_EQ(link.sendFrame(tx), 0);
}

class FrameReceive : public ::testing::Test {
protected:
    test::MemoryPort port;
    FrameLink link{port, 100}; // a short deadline keeps the time-out cases quick
    Frame rx;
};

TEST_F(FrameReceive, ZeroLengthReplyCompletesAfterFiveBytes)
{
    port.queue({0xAA, 0x55, 0x00, 0x0D, 0xB3, 0x99});
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    EXPECT_EQ(rx.command(), 0x0D);
    EXPECT_EQ(port.queued(), 1u) << "nothing after the CRC byte may be read";
}

TEST_F(FrameReceive, NoiseBeforeTheFrameIsSkipped)
{
    port.queue({0x00, 0x13, 0x55, 0xFF, 0x55});
    port.queue(statusReply(0x07, 0x00));
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    EXPECT_EQ(rx.command(), 0x07);
    EXPECT_EQ(rx.status(), 0);
}

TEST_F(FrameReceive, DoubledFirstSyncLosesTheFrame)
{
    // The second 0xAA sends the receiver back to hunting; the 0x55 is then skipped.
    Bytes reply = statusReply(0x0D, 0x00);
    port.queue({0xAA});
    port.queue(reply);
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::NoReply);
}

TEST_F(FrameReceive, BackToBackFramesAreTakenOneAtATime)
{
    port.queue(statusReply(0x04, 0x00));
    port.queue(statusReply(0x06, 0x03));
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    EXPECT_EQ(rx.command(), 0x04);
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    EXPECT_EQ(rx.command(), 0x06);
    EXPECT_EQ(rx.status(), 0x03);
}

TEST_F(FrameReceive, DrainThrowsAwayTheSecondFrame)
{
    port.queue(statusReply(0x04, 0x00));
    port.queue(statusReply(0x06, 0x00));
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    link.drainInput();
    EXPECT_EQ(port.queued(), 0u);
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::NoReply);
}

TEST_F(FrameReceive, CorruptedByteFailsWhenTheCrcArrivesNotAtTheDeadline)
{
    FrameLink patient(port); // the full 5000 ms
    Bytes reply = statusReply(0x08, 0x00);
    reply[4] ^= 0x10;
    port.queue(reply);
    port.queue(statusReply(0x08, 0x00));
    const auto start = test::Clock::now();
    EXPECT_EQ(patient.receiveFrame(rx), ReceiveOutcome::BadCrc);
    EXPECT_LT(test::millisecondsSince(start), 100);
    EXPECT_EQ(patient.receiveFrame(rx), ReceiveOutcome::Good) << "the frame after a bad one is still there";
}

TEST_F(FrameReceive, LongestPayloadIsReceivedWhole)
{
    Frame big;
    big[Frame::kCommandOffset] = 0x02;
    big.setLength(255);
    for (int i = 0; i < 255; ++i)
        big.setPayload(i, static_cast<std::uint8_t>(255 - i));
    Bytes bytes = wire(big);
    ASSERT_EQ(bytes.size(), 260u);
    port.queue(bytes);
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(rx.payload(i), 255 - i) << "payload byte " << i;
    EXPECT_EQ(port.queued(), 0u);
}

TEST_F(FrameReceive, ShortReceiveLeavesZerosWhereNothingArrived)
{
    for (int i = 0; i < Frame::kCapacity; ++i)
        rx[i] = 0xEE;
    port.queue({0xAA, 0x55, 0x05, 0x0D, 0x07});
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::NoReply);
    EXPECT_EQ(rx[0], 0xAA);
    EXPECT_EQ(rx[2], 0x05);
    EXPECT_EQ(rx.payload(0), 0x07);
    for (int i = 5; i < FrameLink::kReceiveClearBytes; ++i)
        ASSERT_EQ(rx[i], 0) << "offset " << i;
    EXPECT_EQ(rx[FrameLink::kReceiveClearBytes], 0xEE) << "only the first 68 bytes are cleared";
}

TEST_F(FrameReceive, ClosedPortFailsAtOnceInsteadOfAtTheDeadline)
{
    FrameLink patient(port); // the full 5000 ms
    port.setOpen(false);
    port.queue(statusReply(0x0D, 0x00));
    const auto start = test::Clock::now();
    EXPECT_EQ(patient.receiveFrame(rx), ReceiveOutcome::PortClosed);
    EXPECT_LT(test::millisecondsSince(start), 100);
}

// A trace that keeps what it is told, in order, as text.
class RecordedTrace final : public FrameTrace {
public:
    void portOpened() override { lines.push_back("open"); }
    void request(std::span<const std::uint8_t> frame) override { lines.push_back("> " + hex(frame)); }
    void reply(std::span<const std::uint8_t> frame) override { lines.push_back("< " + hex(frame)); }
    void skipped(std::span<const std::uint8_t> bytes) override { lines.push_back("? " + hex(bytes)); }

    std::vector<std::string> lines;

private:
    static std::string hex(std::span<const std::uint8_t> bytes)
    {
        std::string text;
        for (const std::uint8_t byte : bytes) {
            char digits[4];
            std::snprintf(digits, sizeof digits, "%02X ", byte);
            text += digits;
        }
        return text;
    }
};

TEST_F(FrameReceive, TraceTellsEveryFrameAndEveryByteThrownAway)
{
    RecordedTrace trace;
    link.setTrace(&trace);
    Frame tx;
    tx.setCommand(CommandCode::CmdPowerOn);
    tx.setLength(0);
    link.sendFrame(tx);
    // Noise, a first sync byte whose second one is wrong, then the reply.
    port.queue({0x13, 0xAA, 0x17});
    port.queue(statusReply(0x0D, 0x00));
    port.queue({0xAA, 0x55, 0x05});
    ASSERT_EQ(link.receiveFrame(rx), ReceiveOutcome::Good);
    // The start of a frame cut off by the deadline was not a reply either.
    EXPECT_EQ(link.receiveFrame(rx), ReceiveOutcome::NoReply);
    port.queue({0x01, 0x02});
    link.drainInput();
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"> AA 55 00 0D B3 ", "? 13 AA 17 ", "< AA 55 01 0D 00 7B ",
                                                     "? AA 55 05 ", "? 01 02 "}));
}
