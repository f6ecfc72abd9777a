#include "sim/PtyUnitServer.h"
#include "support/PresentedEvents.h"
#include "engine/RequestMailbox.h"
#include "sim/SimulatedUnit.h"
#include "support/Timing.h"
#include "engine/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace orvex;
using test::RecordingNotifier;
using Kind = RecordingNotifier::Kind;
using test::Clock;
using test::millisecondsSince;

namespace {

constexpr int kMissingPort = 1;
constexpr int kUnitPort = 2;

template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 3000)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

sim::UnitOptions withEraseTime(int ms)
{
    sim::UnitOptions options;
    options.eraseTime = std::chrono::milliseconds(ms);
    return options;
}

} // namespace

class Worker : public ::testing::Test, protected test::PresentedEvents {
protected:
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server{unit};
    // Units a test sets up itself; they outlive the worker that talks to them.
    std::unique_ptr<sim::SimulatedUnit> otherUnit;
    std::unique_ptr<sim::PtyUnitServer> otherServer;
    PortKeeper portKeeper{notifier};
    ProgrammerDevice device{portKeeper.port(), reporter, 300};
    ProcedureExecutor executor{device, reporter, notifier};
    RequestMailbox mailbox;
    WorkerThread worker{portKeeper, executor, mailbox};

    void SetUp() override
    {
        portKeeper.port().setDeviceMap({{kMissingPort, "/nonexistent/orvex"}, {kUnitPort, server.devicePath()}});
    }

    void startOn(int portNumber)
    {
        mailbox.setPortNumber(portNumber);
        worker.start();
    }

    std::size_t count(Kind kind, int value) const
    {
        std::size_t n = 0;
        for (const auto& e : notifier.eventsOf(kind))
            n += e.first == value ? 1 : 0;
        return n;
    }

    bool runsFinished(std::size_t runs) const { return notifier.eventsOf(Kind::RunEnded).size() >= runs; }

    // Starts the worker on a unit that takes its time over an erase, so that a
    // run is still under way when the test acts.
    sim::SimulatedUnit& startOnSlowUnitRunningErase()
    {
        startOnOtherUnit(withEraseTime(150));
        mailbox.requestRun({StepBit::Erase, nullptr});
        EXPECT_TRUE(waitUntil([&] { return count(Kind::RunLamp, 3) == 1; }));
        return *otherUnit;
    }

    void startOnOtherUnit(sim::UnitOptions options)
    {
        otherUnit = std::make_unique<sim::SimulatedUnit>(std::move(options));
        otherServer = std::make_unique<sim::PtyUnitServer>(*otherUnit);
        portKeeper.port().setDeviceMap({{kUnitPort, otherServer->devicePath()}});
        startOn(kUnitPort);
    }
};

TEST_F(Worker, OpensTheMailboxPortFirstAndShowsItOnThePortLamp)
{
    startOn(kUnitPort);
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 1; }));
}

TEST_F(Worker, UnopenablePortStaysRedUntilAnotherIsChosen)
{
    startOn(kMissingPort);
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 1) == 1; }));
    mailbox.requestPortChange(kUnitPort);
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 1; }));
    mailbox.requestPortChange(kUnitPort); // the same port again is reopened too
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 2; }));
}

TEST_F(Worker, VanishedUnitFailsTheNextRunAtOnceAndTurnsThePortLampRed)
{
    startOnOtherUnit({});
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 1; }));
    otherServer.reset(); // the far end of the line goes away, as a pulled adapter would
    const auto raised = Clock::now();
    mailbox.requestRun({StepBit::Detect, nullptr});
    ASSERT_TRUE(waitUntil([&] { return runsFinished(1); }));
    EXPECT_LT(millisecondsSince(raised), 250) << "a reply may take 300 ms; nobody waits for one on a gone line";
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "Blad polaczenia z programatorem");
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 1) == 1; }));
    EXPECT_EQ(notifier.eventsOf(Kind::PortLamp).back().first, 1);
}

TEST_F(Worker, RunIsPickedUpAtOnceAndUsesItsOwnStepSet)
{
    startOn(kUnitPort);
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 1; }));
    const auto raised = Clock::now();
    mailbox.requestRun({StepBit::Detect, nullptr});
    ASSERT_TRUE(waitUntil([&] { return count(Kind::RunLamp, 3) == 1; }));
    const auto pickUpMs = millisecondsSince(raised);
    EXPECT_LE(pickUpMs, 30);
    ASSERT_TRUE(waitUntil([&] { return runsFinished(1); }));
    // A request taken but left raised would start the next run at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(notifier.eventsOf(Kind::RunEnded).size(), 1u) << "one request, one run";
    EXPECT_EQ(unit.requests().size(), 3u) << "version, power on, power off";
}

TEST_F(Worker, RunRequestedDuringARunIsNotLost)
{
    const sim::SimulatedUnit& unitUsed = startOnSlowUnitRunningErase();
    mailbox.requestRun({0, nullptr});
    ASSERT_TRUE(waitUntil([&] { return runsFinished(2); }));
    EXPECT_EQ(count(Kind::RunLamp, 2), 2u);
    EXPECT_EQ(unitUsed.requests().size(), 5u) << "on, erase, off; on, off";
}

TEST_F(Worker, StopWaitsForTheRunUnderWayAndClosesThePort)
{
    startOnSlowUnitRunningErase();
    worker.stop();
    EXPECT_FALSE(worker.isRunning());
    EXPECT_TRUE(runsFinished(1)) << "the run under way ends before the worker does";
    EXPECT_EQ(count(Kind::RunLamp, 2), 1u);
    EXPECT_FALSE(portKeeper.port().isOpen());
}

TEST_F(Worker, IdleWorkerStopsPromptly)
{
    startOn(kUnitPort);
    ASSERT_TRUE(waitUntil([&] { return count(Kind::PortLamp, 2) == 1; }));
    const auto start = Clock::now();
    worker.stop();
    EXPECT_LT(millisecondsSince(start), 100);
    EXPECT_FALSE(worker.isRunning());
}

std::optional<std::uint16_t> stepsOf(const std::optional<RunRequest>& run)
{
    return run ? std::optional(run->stepSet) : std::nullopt;
}

TEST(Mailbox, ARunIsTakenOnceWithTheStepSetOfItsLatestRequest)
{
    RequestMailbox mailbox;
    EXPECT_EQ(stepsOf(mailbox.takeRun()), std::nullopt);
    mailbox.requestRun({StepBit::Erase, nullptr});
    EXPECT_EQ(stepsOf(mailbox.takeRun()), StepBit::Erase);
    EXPECT_EQ(stepsOf(mailbox.takeRun()), std::nullopt);
    mailbox.requestRun({StepBit::Read, nullptr});
    mailbox.requestRun({0, nullptr});
    EXPECT_EQ(stepsOf(mailbox.takeRun()), 0);
    EXPECT_EQ(stepsOf(mailbox.takeRun()), std::nullopt);
}

TEST(Mailbox, RunTakenWhileTheWindowWritesCarriesTheStepSetWrittenForIt)
{
    // The window raises a request the moment the worker took the one before;
    // a worker that read the step set before taking the flag would now and
    // then run a request with the steps of the one before. Both sides spin, so
    // that their steps interleave as closely as the machine lets them.
    RequestMailbox mailbox;
    std::atomic<int> taken{0};
    std::atomic<bool> done{false};
    std::thread window([&] {
        for (int round = 1; !done.load(); ++round) {
            mailbox.requestRun({static_cast<std::uint16_t>(round), nullptr});
            while (taken.load() < round && !done.load()) {
            }
        }
    });
    const auto deadline = test::Clock::now() + std::chrono::milliseconds(1000);
    int wrongSteps = 0;
    for (int round = 1; test::Clock::now() < deadline; ++round) {
        std::optional<RunRequest> run;
        while (!(run = mailbox.takeRun()) && test::Clock::now() < deadline) {
        }
        wrongSteps += run && run->stepSet != static_cast<std::uint16_t>(round) ? 1 : 0;
        taken.store(round);
    }
    done.store(true);
    window.join();
    EXPECT_EQ(wrongSteps, 0);
}
