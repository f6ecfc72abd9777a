#include "engine/FastWakeUpRequest.h"
#include "engine/ProcedureExecutor.h"
#include "engine/ImageSnapshot.h"
#include "engine/RunTexts.h"
#include "image/FirmwareImage.h"
#include "device/TextFormat.h"
#include "support/PolishLocale.h"
#include "support/ScratchDir.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#ifdef _WIN32
#include "support/DeviceOnMemoryUnit.h"
#else
#include "support/DeviceOnSimulatedUnit.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace orvex;

namespace {

// The result line of a successful run from t0 to t1 on the millisecond counter.
std::string formatRunTime(std::uint32_t t0, std::uint32_t t1)
{
    RunFinished finished;
    finished.seconds = secondsBetween(t0, t1);
    return RunTexts::runMessage(finished);
}

} // namespace
using test::RecordingNotifier;
using Bytes = std::vector<std::uint8_t>;
using Kind = RecordingNotifier::Kind;
namespace fs = std::filesystem;

namespace {

constexpr std::uint16_t kAllDeviceSteps =
    StepBit::Detect | StepBit::Erase | StepBit::TestFF | StepBit::Program | StepBit::Verify | StepBit::Read;

#ifndef _WIN32
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};
#endif

} // namespace

// The executor on a device wired to the simulated unit by Wiring: in memory
// for the run's logic, over a pty for a few runs the whole way.
template <typename Wiring>
class ExecutorOn : public Wiring {
protected:
    using Wiring::device;
    using Wiring::notifier;
    using Wiring::reporter;

    ProcedureExecutor executor{device, reporter, notifier};
    Bytes image;
    std::shared_ptr<RunImage> snapshot = std::make_shared<RunImage>();
    test::ScratchDir scratch;

    void SetUp() override
    {
        Wiring::SetUp();
        std::mt19937 rng(42);
        image.resize(1000);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(rng());
        snapshot->bytes = image;
    }

    RunFinished run(std::uint16_t steps) { return executor.runProcedure({steps, snapshot}); }

    std::string mainStatus() const { return notifier.texts().snapshot().mainStatus; }

    std::vector<int> runLamps() const
    {
        std::vector<int> lamps;
        for (const auto& e : notifier.eventsOf(Kind::RunLamp))
            lamps.push_back(e.first);
        return lamps;
    }

    bool askedForFile() const { return !notifier.eventsOf(Kind::ChooseFile).empty(); }

    // A read run on the same unit, shown through another notifier.
    void runReadReportingTo(RecordingNotifier& other)
    {
        StatusPresenter otherPresenter(other);
        RunReporter otherReporter;
        otherReporter.addObserver(otherPresenter);
        ProgrammerDevice otherDevice(this->port, otherReporter, Wiring::kShortReceiveTimeoutMs);
        ProcedureExecutor otherExecutor(otherDevice, otherReporter, other);
        otherExecutor.runProcedure({StepBit::Read, nullptr});
    }
};

using Executor = ExecutorOn<test::DeviceOnMemoryUnit>;

TEST_F(Executor, EmptyStepSetStillSwitchesPowerOnAndOff)
{
    const RunFinished outcome = run(0);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.message, mainStatus());
    EXPECT_EQ(receivedCommands(),
              (Bytes{test::commandByte(CommandCode::CmdPowerOn), test::commandByte(CommandCode::CmdPowerOff)}));
    EXPECT_EQ(runLamps(), (std::vector<int>{3, 2}));
    EXPECT_TRUE(mainStatus().starts_with("PROGRAM OK. Czas: ")) << mainStatus();
    const auto events = notifier.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2].kind, Kind::RunEnded);
    EXPECT_EQ(events.back().kind, Kind::Refresh);
    EXPECT_FALSE(askedForFile());
}

#ifndef _WIN32
// The whole way, over a pty.
using ExecutorOverPty = ExecutorOn<test::DeviceOnSimulatedUnit>;

TEST_F(ExecutorOverPty, FullRunProgramsVerifiesAndSavesExactlyTheFlash)
{
    const std::string out = scratch.pathOf("readback.bin");
    notifier.answerReadBackFile(out);
    run(kAllDeviceSteps);
    EXPECT_EQ(runLamps(), (std::vector<int>{3, 2}));
    EXPECT_TRUE(mainStatus().starts_with("PROGRAM OK. Czas: ")) << mainStatus();
    EXPECT_FALSE(unit.powered());

    const Bytes saved = test::ScratchDir::readBytes(out);
    ASSERT_EQ(saved.size(), 131072u);
    EXPECT_EQ(saved, unit.flash());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), saved.begin()));
    // 1000 bytes end in a block of 40: not one byte of the erased rest may change.
    ASSERT_NE(image.size() % ProgrammerDevice::kBlockSize, 0u);
    Bytes expected = image;
    expected.resize(131072, 0xFF);
    EXPECT_EQ(saved, expected);
}

TEST_F(ExecutorOverPty, StaleInputIsDrainedBeforeTheFirstRequest)
{
    // A stray refusal left on the line must not be taken as the power-on reply.
    server.injectBytes(std::vector<std::uint8_t>{0xAA, 0x55, 0x01, 0x0D, 0x01, 0x00});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    run(0);
    EXPECT_TRUE(mainStatus().starts_with("PROGRAM OK")) << mainStatus();
}
#endif

TEST_F(Executor, SaveDialogTimeCountsTowardsTheRun)
{
    struct SlowChooser : RecordingNotifier {
        std::optional<std::string> chooseReadBackFile() override
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return std::nullopt;
        }
    } slowNotifier;
    runReadReportingTo(slowNotifier);
    const std::string status = slowNotifier.texts().snapshot().mainStatus;
    ASSERT_TRUE(status.starts_with("PROGRAM OK. Czas: ")) << status;
    EXPECT_GE(std::stod(status.substr(18)), 0.4);
}

#ifndef _WIN32
// Linux's PM QoS device.
namespace {

// Whether this process holds a wake-latency request: the kernel keeps one
// for as long as the device stays open. Asked of this process alone, since the
// kernel's target also counts the requests of other programs and tests.
bool holdsWakeLatencyRequest(const std::string& device = FastWakeUpRequest::kPmQosDevice)
{
    for (const auto& descriptor : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        if (fs::read_symlink(descriptor.path(), ignored) == device)
            return true;
    }
    return false;
}

} // namespace

// Where the PM QoS device is root's, a file in its place shows the request
// made and withdrawn all the same.
TEST_F(Executor, WakeLatencyRequestAsksForNoLatencyAndEndsWithItsObject)
{
    const std::string standIn = fs::canonical(scratch.write("cpu_dma_latency", "")).string();
    {
        const FastWakeUpRequest request(standIn.c_str());
        EXPECT_TRUE(holdsWakeLatencyRequest(standIn));
        EXPECT_EQ(test::ScratchDir::readFile(standIn), std::string(4, '\0')) << "a 32-bit 0: no latency";
    }
    EXPECT_FALSE(holdsWakeLatencyRequest(standIn)) << "the request outlived its object";
}

TEST_F(Executor, ProcessorsWakeFastWhileFramesGoToAndFroOnly)
{
    if (::access("/dev/cpu_dma_latency", W_OK) != 0)
        GTEST_SKIP() << "this process may not ask for fast wake-ups (/dev/cpu_dma_latency is root's)";
    struct SamplingNotifier : RecordingNotifier {
        bool duringTransfer = false;
        bool inSaveDialog = true;
        void setProgressRange(int, int) override { duringTransfer = holdsWakeLatencyRequest(); }
        std::optional<std::string> chooseReadBackFile() override
        {
            inSaveDialog = holdsWakeLatencyRequest();
            return std::nullopt;
        }
    } sampling;
    runReadReportingTo(sampling);
    EXPECT_TRUE(sampling.duringTransfer);
    EXPECT_FALSE(sampling.inSaveDialog) << "the operator's time in the dialog is not the run's";
    EXPECT_FALSE(holdsWakeLatencyRequest());
}
#endif

TEST_F(Executor, CancelledOrFailedSaveKeepsTheSuccessLineAndSaysTheDataIsLost)
{
    notifier.answerReadBackFile(std::nullopt);
    run(StepBit::Read);
    EXPECT_TRUE(askedForFile());
    EXPECT_TRUE(mainStatus().starts_with("PROGRAM OK")) << mainStatus();
    EXPECT_TRUE(mainStatus().ends_with(" s — odczytu nie zapisano")) << mainStatus();
    EXPECT_EQ(runLamps().back(), 1);
    EXPECT_TRUE(fs::is_empty(scratch.directory()));

    // A notifier that does not offer the dialog again is asked once.
    notifier.clearEvents();
    notifier.answerReadBackFile(scratch.pathOf("no-such-dir/out.bin"));
    run(StepBit::Read);
    EXPECT_EQ(notifier.eventsOf(Kind::ChooseFile).size(), 1u);
    EXPECT_EQ(notifier.eventsOf(Kind::SaveFailure).size(), 1u);
    EXPECT_TRUE(mainStatus().ends_with(" s — odczytu nie zapisano")) << mainStatus();
    EXPECT_EQ(runLamps().back(), 1);

    notifier.clearEvents();
    notifier.answerReadBackFile(scratch.pathOf("out.bin"));
    run(StepBit::Read);
    EXPECT_TRUE(mainStatus().ends_with(" s")) << mainStatus();
    EXPECT_EQ(runLamps().back(), 2);
}

#ifndef _WIN32
TEST_F(Executor, FailedSaveLeavesTheOldFileWhole)
{
    const std::string out = scratch.write("keep.bin", "previous dump");
    notifier.answerReadBackFile(out);
    {
        // A disk that fills up half way: writes beyond 4 KiB fail, even for root.
        FileSizeLimit limit(4096);
        run(StepBit::Read);
    }
    EXPECT_EQ(notifier.eventsOf(Kind::SaveFailure).size(), 1u);
    EXPECT_EQ(test::ScratchDir::readFile(out), "previous dump");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.directory()), fs::directory_iterator()), 1)
        << "the half-written new file is removed";
    EXPECT_TRUE(mainStatus().starts_with("PROGRAM OK")) << mainStatus();
}
#endif

TEST_F(Executor, TwoRunsInARowNeverSaveStaleData)
{
    notifier.answerReadBackFile(scratch.pathOf("first.bin"));
    run(StepBit::Read);
    ASSERT_TRUE(askedForFile());

    notifier.clearEvents();
    run(StepBit::Detect);
    EXPECT_FALSE(askedForFile());

    addFault(CommandCode::CmdReadEnd, sim::FaultAction::Refuse, 2, 0x01);
    run(StepBit::Read);
    EXPECT_FALSE(askedForFile());
    EXPECT_EQ(mainStatus(), "Blad podczas odczytu programu");
}

TEST_F(Executor, FailedPowerOffShowsNoSaveDialog)
{
    addFault(CommandCode::CmdPowerOff, sim::FaultAction::Refuse, 1, 0x01);
    notifier.answerReadBackFile(scratch.pathOf("never.bin"));
    run(StepBit::Read);
    EXPECT_FALSE(askedForFile());
    EXPECT_EQ(mainStatus(), "Blad podczas zakonczenia procedury");
    EXPECT_FALSE(fs::exists(scratch.pathOf("never.bin")));
}

struct FailingRow {
    const char* name;
    CommandCode faultyCommand;
    sim::FaultAction action;
    std::uint8_t value;
    RunStep step;
    const char* message;
    std::vector<std::uint8_t> lastCommands; // the tail of what the unit received
    bool targetLeftPowered;
};

void PrintTo(const FailingRow& row, std::ostream* os)
{
    *os << row.name;
}

class ExecutorFailingStep : public Executor, public ::testing::WithParamInterface<FailingRow> {};

TEST_P(ExecutorFailingStep, StopsAtTheFirstFailureWithItsMessage)
{
    const FailingRow& row = GetParam();
    addFault(row.faultyCommand, row.action, 1, row.value);
    notifier.answerReadBackFile(scratch.pathOf("never.bin"));
    const RunFinished outcome = run(kAllDeviceSteps);

    EXPECT_EQ(mainStatus(), row.message);
    EXPECT_EQ(outcome.failedStep, row.step);
    EXPECT_EQ(outcome.message, row.message);
    EXPECT_EQ(runLamps(), (std::vector<int>{3, 1}));
    EXPECT_EQ(notifier.eventsOf(Kind::RunEnded).size(), 1u);
    EXPECT_EQ(notifier.events().back().kind, Kind::Refresh);
    EXPECT_FALSE(askedForFile());
    EXPECT_EQ(unit.powered(), row.targetLeftPowered);

    const Bytes received = receivedCommands();
    ASSERT_GE(received.size(), row.lastCommands.size());
    EXPECT_EQ(Bytes(received.end() - static_cast<long>(row.lastCommands.size()), received.end()), row.lastCommands)
        << "nothing may follow the failing request";
}

using enum CommandCode;
using sim::FaultAction;

INSTANTIATE_TEST_SUITE_P(EverySequenceRow, ExecutorFailingStep,
                         ::testing::Values(FailingRow{"Detect",
                                                      CmdGetVersion,
                                                      FaultAction::Silent,
                                                      0,
                                                      RunStep::Detect,
                                                      "Blad polaczenia z programatorem",
                                                      {0x00},
                                                      false},
                                           FailingRow{"PowerOn",
                                                      CmdPowerOn,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::PowerOn,
                                                      "Blad inicjalizacji programowania",
                                                      {0x00, 0x0D},
                                                      false},
                                           FailingRow{"Erase",
                                                      CmdErase,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::Erase,
                                                      "Blad podczas kasowania ukladu",
                                                      {0x0D, 0x07},
                                                      true},
                                           FailingRow{"BlankTest",
                                                      CmdBlankTest,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::BlankTest,
                                                      "Blad - pamiec zapisana",
                                                      {0x07, 0x08},
                                                      true},
                                           FailingRow{"Program",
                                                      CmdProgramBlock,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::Program,
                                                      "Blad podczas programowania ukladu",
                                                      {0x04, 0x05},
                                                      true},
                                           FailingRow{"Verify",
                                                      CmdVerifyBlock,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::Verify,
                                                      "Blad podczas weryfikacji programu",
                                                      {0x06, 0x09, 0x0A},
                                                      true},
                                           FailingRow{"Read",
                                                      CmdReadBlock,
                                                      FaultAction::WrongCommand,
                                                      0x05,
                                                      RunStep::Read,
                                                      "Blad podczas odczytu programu",
                                                      {0x0B, 0x01, 0x02},
                                                      true},
                                           FailingRow{"PowerOff",
                                                      CmdPowerOff,
                                                      FaultAction::Refuse,
                                                      1,
                                                      RunStep::PowerOff,
                                                      "Blad podczas zakonczenia procedury",
                                                      {0x03, 0x0E},
                                                      true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RunTime, FormatsThreeDecimalsAcrossACounterWrap)
{
    EXPECT_EQ(formatRunTime(1000, 13345), "PROGRAM OK. Czas: 12.345 s");
    EXPECT_EQ(formatRunTime(0xFFFFFF00u, 0x100u), "PROGRAM OK. Czas: 0.512 s");
    EXPECT_EQ(formatRunTime(7, 7), "PROGRAM OK. Czas: 0.000 s");
}

TEST(RunTime, DecimalPointWhateverTheProcessLocale)
{
    test::ScratchDir scratch;
    const test::PolishLocale polish(scratch);
    if (!polish.active())
        GTEST_SKIP() << "no Polish locale could be made: localedef (Debian package 'locales') is missing";
    char plain[16];
    std::snprintf(plain, sizeof plain, "%.3f", 0.5);
    ASSERT_STREQ(plain, "0,500") << "the Polish locale is not in force";

    EXPECT_EQ(formatRunTime(0, 1), "PROGRAM OK. Czas: 0.001 s");
    EXPECT_EQ(formatText("%.1f|%i", 2.5, 1234567), "2.5|1234567");
}

TEST_F(Executor, RunTimeIsTakenAtTheStartAndAfterTheLastStep)
{
    std::vector<std::uint32_t> ticks{0xFFFFFF00u, 0x100u};
    ProcedureExecutor timed(device, reporter, notifier, [&] {
        const std::uint32_t t = ticks.front();
        ticks.erase(ticks.begin());
        return t;
    });
    timed.runProcedure({0, nullptr});
    EXPECT_EQ(mainStatus(), "PROGRAM OK. Czas: 0.512 s");
    EXPECT_TRUE(ticks.empty());
}

TEST(ImageSnapshot, KeepsTheBytesAndDigestsOfTheFileAsItWasWhenTaken)
{
    test::ScratchDir scratch;
    FirmwareImage image;
    image.load(scratch.write("fw.bin", "abc"));
    const auto snapshot = snapshotOf(image);
    image.load(scratch.write("other.bin", "something else"));

    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->bytes, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(snapshot->file.path, scratch.pathOf("fw.bin"));
    EXPECT_EQ(snapshot->file.size, 3u);
    // The published SHA-256 of "abc".
    EXPECT_EQ(snapshot->file.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(snapshot->sha256, snapshot->file.sha256) << "a binary file is its own image";
    EXPECT_FALSE(snapshotOf(FirmwareImage())) << "no data, no image";
}
