#include "sim/PtyUnitServer.h"
#include "sim/UnitTestSupport.h"

#include <algorithm>
#include <iostream>
#include <thread>

namespace orvex::sim::test {
namespace {

using Cmd = CommandCode;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kQuiet{100};

// The time one 8N1 byte takes at rate bps.
std::chrono::microseconds byteTime(int rateBps)
{
    return std::chrono::microseconds(10'000'000 / rateBps);
}

TEST(PtyUnitServerTest, AnswersARequestOnTheSlaveTty)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit);
    ASSERT_EQ(server.devicePath().rfind("/dev/pts/", 0), 0u) << server.devicePath();
    TtyClient tty(server.devicePath());
    ASSERT_TRUE(tty.isOpen());

    tty.sendRequest(Cmd::CmdPowerOn);

    EXPECT_EQ(tty.receive(6, TtyClient::kReplyTimeout),
              (std::vector<std::uint8_t>{0xAA, 0x55, 0x01, 0x0D, 0x00, 0x7B}));
    EXPECT_TRUE(unit.powered());
    EXPECT_TRUE(tty.receive(1, kQuiet).empty()) << "one request, one reply";
}

TEST(PtyUnitServerTest, ServesTheNextOpenAfterThePortWasClosed)
{
    UnitOptions options;
    options.versionChars = {'4', '5', '6'};
    SimulatedUnit unit(options);
    PtyUnitServer server(unit);

    for (int session = 0; session < 3; ++session) {
        TtyClient tty(server.devicePath());
        ASSERT_TRUE(tty.isOpen());
        const auto reply = tty.exchange(Cmd::CmdGetVersion);
        ASSERT_TRUE(reply.has_value()) << "session " << session;
        EXPECT_EQ(reply->payload, (std::vector<std::uint8_t>{'4', '5', '6'}));
    }
    EXPECT_EQ(unit.requests().size(), 3u);
}

// The client keeps whatever settings the tty has, so only the server's raw
// mode stands between the control bytes and the line discipline: no echo of
// the replies back into the unit, no CR/LF translation, no flow control.
TEST(PtyUnitServerTest, CarriesControlBytesUntouchedToAClientThatSetsNothing)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit);
    TtyClient tty(server.devicePath(), false);
    const std::vector<std::uint8_t> data{0x0A, 0x0D, 0x03, 0x04, 0x11, 0x13, 0x1A, 0x7F, 0x08, 0x15, 0x17, 0x12};

    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramInit)->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramBlock, dataBlock(0, data))->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramEnd)->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdReadInit)->status(), 0);
    const auto read = tty.exchange(Cmd::CmdReadBlock, readBlock(0));

    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->crcGood);
    ASSERT_EQ(read->payload.size(), 72u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), read->payload.begin() + 8));
    EXPECT_EQ(unit.requests().size(), 6u);
}

TEST(PtyUnitServerTest, IgnoresARequestWithABadCrcAndServesTheNextOne)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit);
    TtyClient tty(server.devicePath());
    auto spoilt = encodeRequest(Cmd::CmdPowerOn);
    spoilt.back() ^= 0x40;

    tty.send(spoilt);
    EXPECT_FALSE(tty.receiveReply(kQuiet).has_value());
    const auto reply = tty.exchange(Cmd::CmdGetVersion);

    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->command, 0x00);
    EXPECT_EQ(unit.requests().size(), 1u);
}

TEST(PtyUnitServerTest, InjectedBytesReachTheClientAsSent)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit);
    TtyClient tty(server.devicePath());
    const std::vector<std::uint8_t> odd{0x13, 0xAA, 0xAA, 0x55, 0x00, 0x0D, 0xB3};

    server.injectBytes(odd);

    EXPECT_EQ(tty.receive(odd.size(), TtyClient::kReplyTimeout), odd);
    EXPECT_TRUE(unit.requests().empty());
}

TEST(PtyUnitServerTest, RepliesAfterTheUnitsWorkTime)
{
    UnitOptions options;
    options.blockTime = milliseconds(40);
    SimulatedUnit unit(options);
    PtyUnitServer server(unit);
    TtyClient tty(server.devicePath());
    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdReadInit)->status(), 0);

    const auto start = Clock::now();
    const auto reply = tty.exchange(Cmd::CmdReadBlock, readBlock(0));

    ASSERT_TRUE(reply.has_value());
    EXPECT_GE(Clock::now() - start, options.blockTime);
}

TEST(PtyUnitServerTest, WithoutLineModelAnExchangeTakesWellUnderAMillisecond)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit);
    TtyClient tty(server.devicePath());
    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);
    ASSERT_EQ(tty.exchange(Cmd::CmdReadInit)->status(), 0);
    const auto request = encodeRequest(Cmd::CmdReadBlock, readBlock(0));

    std::vector<Clock::duration> times;
    for (int i = 0; i < 201; ++i) {
        const auto start = Clock::now();
        tty.send(request);
        ASSERT_EQ(tty.receive(77, TtyClient::kReplyTimeout).size(), 77u);
        times.push_back(Clock::now() - start);
    }
    std::nth_element(times.begin(), times.begin() + 100, times.end());
    const auto median = times[100];

    // The median shrugs off a busy machine; a sleep or a poll time-out in the
    // server's path would still show.
    EXPECT_LT(median, milliseconds(1));
    std::cout << "[ measured ] median read-block exchange over the pty: "
              << std::chrono::duration<double, std::micro>(median).count() << " us\n";
}

TEST(PtyUnitServerTest, LineModelChargesTheWireTimeOfRequestAndReply)
{
    constexpr int kRate = 115200;
    SimulatedUnit unit;
    PtyUnitServer server(unit, {kRate});
    TtyClient tty(server.devicePath());

    const auto start = Clock::now();
    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0); // 5 bytes, then 6
    const auto smallTime = Clock::now() - start;
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramInit)->status(), 0);

    const auto programStart = Clock::now();
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramBlock, dataBlock(0, samplePattern(64, 1)))->status(), 0); // 77, then 6
    const auto programTime = Clock::now() - programStart;
    ASSERT_EQ(tty.exchange(Cmd::CmdReadInit)->status(), 0);

    const auto readStart = Clock::now();
    const auto read = tty.exchange(Cmd::CmdReadBlock, readBlock(0)); // 13, then 77
    const auto readTime = Clock::now() - readStart;
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->payload.size(), 72u);

    EXPECT_GE(smallTime, 11 * byteTime(kRate));
    EXPECT_GE(programTime, 83 * byteTime(kRate));
    EXPECT_GE(readTime, 90 * byteTime(kRate));
    EXPECT_LT(readTime, 90 * byteTime(kRate) + milliseconds(50));
}

// What the unit reports of its exchanges is what crossed the line.
TEST(PtyUnitServerTest, CountsTheBytesAndRepliesOfItsExchangesAndTimesThePcBetweenThem)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit, {115200});
    TtyClient tty(server.devicePath());

    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);                                          // 5, then 6
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramInit)->status(), 0);                                      // 5, then 6
    ASSERT_EQ(tty.exchange(Cmd::CmdProgramBlock, dataBlock(0, samplePattern(64, 3)))->status(), 0); // 77, then 6
    // The server notes a reply once its write has returned, which may be
    // after the client has the bytes.
    const auto noted = Clock::now() + milliseconds(1000);
    while (server.timing().lateness().count() < 3 && Clock::now() < noted)
        std::this_thread::sleep_for(milliseconds(1));
    const auto timing = server.timing();

    EXPECT_EQ(timing.lateness().count(), 3u);
    EXPECT_EQ(timing.turnaround().count(), 2u);
    EXPECT_EQ(timing.bytesReceived(), 87u);
    EXPECT_EQ(timing.bytesSent(), 18u);
}

// An adapter's latency timer holds each reply, however short.
TEST(PtyUnitServerTest, HoldsEachReplyForTheReplyLatency)
{
    SimulatedUnit unit;
    PtyUnitServer server(unit, {0, milliseconds(30)});
    TtyClient tty(server.devicePath());

    for (int i = 0; i < 2; ++i) {
        const auto start = Clock::now();
        ASSERT_TRUE(tty.exchange(Cmd::CmdGetVersion).has_value());
        EXPECT_GE(Clock::now() - start, milliseconds(30));
    }
}

// Slow enough that the thread's scheduling cannot blur the pacing: the
// reply's 77 bytes take 80 ms on the wire.
TEST(PtyUnitServerTest, AReplyTricklesInOverTheLineRatherThanAllAtItsEnd)
{
    constexpr int kRate = 9600;
    UnitOptions options;
    options.poweredAtStart = true;
    SimulatedUnit unit(options);
    PtyUnitServer server(unit, {kRate});
    TtyClient tty(server.devicePath());
    ASSERT_EQ(tty.exchange(Cmd::CmdReadInit)->status(), 0);

    ASSERT_TRUE(tty.exchange(Cmd::CmdReadBlock, readBlock(0)).has_value());

    EXPECT_GE(tty.lastByteTime() - tty.firstByteTime(), 50 * byteTime(kRate));
}

TEST(PtyUnitServerTest, StopIsPromptEvenInTheMiddleOfLongWork)
{
    UnitOptions options;
    options.eraseTime = milliseconds(5000);
    SimulatedUnit unit(options);
    auto server = std::make_unique<PtyUnitServer>(unit);
    TtyClient tty(server->devicePath());
    ASSERT_EQ(tty.exchange(Cmd::CmdPowerOn)->status(), 0);
    tty.sendRequest(Cmd::CmdErase);
    while (unit.requests().size() < 2)
        std::this_thread::sleep_for(milliseconds(1));

    const auto start = Clock::now();
    server->stop();
    EXPECT_LT(Clock::now() - start, milliseconds(200));
    EXPECT_FALSE(tty.receiveReply(kQuiet).has_value());
    server.reset(); // a stopped server is destroyed without a second wait
}

TEST(PtyUnitServerTest, DestructorIsPromptInTheMiddleOfAPacedReply)
{
    SimulatedUnit unit;
    auto server = std::make_unique<PtyUnitServer>(unit, PtyUnitServer::Options{300});
    TtyClient tty(server->devicePath());
    tty.sendRequest(Cmd::CmdGetVersion); // 5 bytes there, 8 back: over 400 ms at 300 bps
    ASSERT_EQ(tty.receive(1, milliseconds(1000)).size(), 1u);

    const auto start = Clock::now();
    server.reset();
    EXPECT_LT(Clock::now() - start, milliseconds(200));
}

} // namespace
} // namespace orvex::sim::test
