// The window when its files let it down: a read-back that does not fit on the
// disk, and settings files that are damaged, unwritable or name the wrong
// kind of file; and when the unit or its line does: every fault of the unit on
// every command of a whole run, noise, slow replies and replies in pieces.

#include "ui/WindowFixture.h"

#include <QElapsedTimer>
#include <QRadioButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <vector>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvex;
using namespace orvex::test;
namespace fs = std::filesystem;

namespace {

// Attached only for as long as the test needs it.
class Mount {
public:
    // A file system of 64 KiB at folder: no read-back of 128 KiB fits.
    static std::optional<Mount> smallTmpfs(const std::string& folder)
    {
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            return std::nullopt;
        return Mount(folder);
    }

    // The file stays readable but nobody, root included, can write it.
    static std::optional<Mount> readOnlyFile(const std::string& file)
    {
        if (::mount(file.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::nullopt;
        Mount bound(file);
        if (::mount(nullptr, file.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return std::nullopt;
        return bound;
    }

    Mount(Mount&& other) noexcept : target_(std::exchange(other.target_, {})) {}
    Mount& operator=(Mount&&) = delete;
    ~Mount()
    {
        if (!target_.empty())
            ::umount2(target_.c_str(), MNT_DETACH);
    }

private:
    explicit Mount(std::string target) : target_(std::move(target)) {}
    std::string target_;
};

// Where mounting is not allowed, a file size limit makes the same write
// fail, for the whole process while it lasts.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

std::string binaryJunk(std::size_t size)
{
    std::mt19937 random(7);
    std::string junk(size, '\0');
    for (char& byte : junk)
        byte = static_cast<char>(random() % 256);
    return junk;
}

} // namespace

TEST_F(Window, ReadBackThatDoesNotFitIsOfferedAgainUntilSavedOrCancelled)
{
    writeConfig(settingsText({"READ=1"}));
    writeRecent({writeFirmware()});
    const std::string folder = dir.pathOf("small-disk");
    fs::create_directory(folder);
    std::optional<Mount> smallDisk = Mount::smallTmpfs(folder);
    std::optional<FileSizeLimit> limit;
    if (!smallDisk)
        limit.emplace(4096);
    const std::string dump = folder + "/dump.bin";
    ScratchDir::writeFile(dump, "the previous read-back");
    start();

    // The operator tries the small disk twice, then cancels.
    dialogs.readBackAnswers = {dump, dump, std::nullopt};
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runEnds());
    EXPECT_TRUE(waitFor(
        [&] {
            return text("mainStatusText")
                .contains(QRegularExpression("^PROGRAM OK\\. Czas: \\d+\\.\\d{3} s — odczytu nie zapisano$"));
        },
        5000))
        << text("mainStatusText").toStdString();
    EXPECT_TRUE(lampShows("runLamp", LampState::Red)) << "the data read is lost";
    EXPECT_EQ(dialogs.readBackStartDirectories.size(), 3u);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const QString& message : dialogs.messages)
        EXPECT_TRUE(message.startsWith("Nie można zapisać pliku " + QString::fromStdString(dump) + ":\n"))
            << message.toStdString();
    EXPECT_EQ(ScratchDir::readFile(dump), "the previous read-back");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no part of the new file is left";

    // Once more: first a folder that is not there, then one with room.
    limit.reset();
    dialogs.readBackAnswers = {dir.pathOf("no-such-folder/dump.bin"), dir.pathOf("dump.bin")};
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_FALSE(text("mainStatusText").contains("odczytu"));
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(ScratchDir::readBytes(dir.pathOf("dump.bin")), unit.flash());
}

// Each settings file that is damaged, cannot be written or leads somewhere it
// should not still lets the window start at once, with a defined outcome.
struct BadSettingsCase {
    const char* name;
    // Writes the files into the program folder; portLines name the unit.
    std::function<std::optional<Mount>(const ScratchDir&, const std::string& portLines)> prepare;
    int messages;         // open failures shown at start-up
    bool asksForFirmware; // the recent list gave no loadable file
    QStringList comboItems;
    std::vector<std::string> ticked;
};

// Test names and failures show the case by its name.
inline void PrintTo(const BadSettingsCase& bad, std::ostream* out)
{
    *out << bad.name;
}

class BadSettingsFiles : public Window, public ::testing::WithParamInterface<BadSettingsCase> {};

TEST_P(BadSettingsFiles, WindowStartsPromptlyWithADefinedOutcome)
{
    const BadSettingsCase& bad = GetParam();
    writeRecent({writeFirmware()});
    std::optional<Mount> mount = bad.prepare(dir, portDeviceLines(server.devicePath()));
    QElapsedTimer startUp;
    startUp.start();
    start();
    EXPECT_LT(startUp.elapsed(), 3000) << "start-up was held up";

    EXPECT_EQ(static_cast<int>(dialogs.messages.size()), bad.messages);
    for (const QString& message : dialogs.messages)
        EXPECT_EQ(message, "Nie można otworzyć pliku z konfiguracją!!!");
    EXPECT_EQ(!dialogs.firmwareStartDirectories.empty(), bad.asksForFirmware);
    EXPECT_EQ(comboItems(), bad.comboItems);
    for (const char* step : kStepNames) {
        const bool ticked = std::find(bad.ticked.begin(), bad.ticked.end(), step) != bad.ticked.end();
        EXPECT_EQ(toggle(step).checkState(), ticked ? Qt::Checked : Qt::Unchecked) << step;
    }

    control<QPushButton>("closeButton").click();
    EXPECT_FALSE(window->isVisible());
}

namespace {

std::optional<Mount> writeConfigBytes(const ScratchDir& dir, const std::string& bytes)
{
    dir.write("config.cfg", bytes);
    return std::nullopt;
}

std::optional<Mount> makeReadOnly(const std::string& file)
{
    if (::geteuid() != 0) {
        ::chmod(file.c_str(), 0444);
        return std::nullopt;
    }
    std::optional<Mount> mount = Mount::readOnlyFile(file);
    if (!mount)
        ADD_FAILURE() << "root could not make " << file << " read-only";
    return mount;
}

const BadSettingsCase kBadSettingsCases[] = {
    {"ConfigOfBinaryJunk",
     [](const ScratchDir& dir, const std::string& portLines) {
         return writeConfigBytes(dir, binaryJunk(4096) + "\n" + portLines);
     },
     0,
     false,
     {"firmware.hex"},
     {}},
    {"ConfigWithNulBytes",
     [](const ScratchDir& dir, const std::string& portLines) {
         using namespace std::string_literals;
         return writeConfigBytes(dir, "READ=1\0junk\n\rPROG\0RAM=1\n\r\0\0\0\n\rERASE= \0 1\n\r"s + portLines);
     },
     0,
     false,
     {"firmware.hex"},
     {"Read"}},
    {"ConfigWithAMegabyteLine",
     [](const ScratchDir& dir, const std::string& portLines) {
         return writeConfigBytes(dir, "OPERATOR=" + std::string(1000000, 'x') + "\n\rERASE=1\n\r" + portLines);
     },
     0,
     false,
     {"firmware.hex"},
     {"Erase"}},
    {"ReadOnlyConfig",
     [](const ScratchDir& dir, const std::string& portLines) {
         return makeReadOnly(dir.write("config.cfg", "READ=1\n\r" + portLines));
     },
     1,
     false,
     {"firmware.hex"},
     {}},
    {"LatestOfBinaryJunk",
     [](const ScratchDir& dir, const std::string& portLines) {
         dir.write("Latest.cfg", binaryJunk(4096));
         return writeConfigBytes(dir, portLines);
     },
     0,
     true,
     {"_empty_"},
     {}},
    {"LatestIsADirectory",
     [](const ScratchDir& dir, const std::string& portLines) {
         fs::remove(dir.pathOf("Latest.cfg"));
         fs::create_directory(dir.pathOf("Latest.cfg"));
         return writeConfigBytes(dir, portLines);
     },
     1,
     true,
     {"_empty_"},
     {}},
    {"LatestNamesAFifo",
     [](const ScratchDir& dir, const std::string& portLines) {
         ::mkfifo(dir.pathOf("firmware.fifo").c_str(), 0644);
         dir.write("Latest.cfg", "File 0=" + dir.pathOf("firmware.fifo") + "\n\r");
         return writeConfigBytes(dir, portLines);
     },
     0,
     true,
     {"firmware.fifo"},
     {}},
    {"LatestNamesADirectory",
     [](const ScratchDir& dir, const std::string& portLines) {
         fs::create_directory(dir.pathOf("firmware.hex.d"));
         dir.write("Latest.cfg", "File 0=" + dir.pathOf("firmware.hex.d") + "\n\r");
         return writeConfigBytes(dir, portLines);
     },
     0,
     true,
     {"firmware.hex.d"},
     {}},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(, BadSettingsFiles, ::testing::ValuesIn(kBadSettingsCases),
                         [](const ::testing::TestParamInfo<BadSettingsCase>& test) {
                             return std::string(test.param.name);
                         });

// COM2 is a USB adapter, reached by its device name, with a unit behind it.
// Pulling it out closes the unit's side of the line at once, in the middle of
// whatever it was doing; plugging it back in puts a fresh unit behind the
// same name.
class WindowWithUsbAdapter : public Window {
protected:
    std::string adapter = dir.pathOf("ttyUSB0");
    std::vector<std::unique_ptr<sim::SimulatedUnit>> pluggedUnits;
    std::unique_ptr<sim::PtyUnitServer> pluggedServer;

    void TearDown() override
    {
        window.reset();
        pluggedServer.reset();
    }

    sim::SimulatedUnit& plugIn(sim::UnitOptions options = {})
    {
        pluggedUnits.push_back(std::make_unique<sim::SimulatedUnit>(std::move(options)));
        pluggedServer = std::make_unique<sim::PtyUnitServer>(*pluggedUnits.back());
        fs::remove(adapter);
        fs::create_symlink(pluggedServer->devicePath(), adapter);
        return *pluggedUnits.back();
    }

    void pullOut()
    {
        pluggedServer.reset();
        fs::remove(adapter);
    }

    static std::size_t requestsOf(const sim::SimulatedUnit& unit, std::uint8_t command)
    {
        const auto requests = unit.requests();
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const sim::ReceivedRequest& r) { return r.command == command; }));
    }
};

struct PulledCase {
    const char* name;
    std::uint8_t blockCommand; // pulled once the unit has had a few of these
    const char* stepName;
    const char* stepLine;
    const char* mainStatus;
    bool portChosenAgain; // or else the next run reopens it by itself
};

// Test names and failures show the case by its name.
inline void PrintTo(const PulledCase& pulled, std::ostream* out)
{
    *out << pulled.name;
}

class AdapterPulledOut : public WindowWithUsbAdapter, public ::testing::WithParamInterface<PulledCase> {};

TEST_P(AdapterPulledOut, RunFailsAtOnceAndTheNextWorksWhenTheAdapterIsBack)
{
    const PulledCase& pulled = GetParam();
    // Blocks that take a while, so the adapter is pulled in the middle of the
    // step whatever the pace of the test's thread: the image is 13 blocks long.
    sim::UnitOptions slowBlocks;
    slowBlocks.blockTime = std::chrono::milliseconds(30);
    sim::SimulatedUnit& first = plugIn(slowBlocks);
    dir.write("config.cfg", settingsText({"PROGRAM=1", "READ=1", "COM=2", "COM2 DEVICE=" + adapter})
                                + portDeviceLines(server.devicePath()));
    writeRecent({writeFirmware()});
    dialogs.readBackAnswer = dir.pathOf("dump.bin");
    start();

    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(waitFor([&] { return requestsOf(first, pulled.blockCommand) >= 3; }, 20000));
    QElapsedTimer sincePulled;
    sincePulled.start();
    pullOut();
    ASSERT_TRUE(runEnds());
    EXPECT_LT(sincePulled.elapsed(), 5000 + 500) << "no exchange waits past its time";
    EXPECT_TRUE(mainStatusBecomes(pulled.mainStatus)) << text("mainStatusText").toStdString();
    EXPECT_EQ(stepLine(pulled.stepName), pulled.stepLine);
    EXPECT_TRUE(lampShows("runLamp", LampState::Red));
    EXPECT_TRUE(lampTurns("portLamp", LampState::Red));
    EXPECT_FALSE(fs::exists(dir.pathOf("dump.bin")));
    EXPECT_TRUE(dialogs.readBackStartDirectories.empty());
    EXPECT_TRUE(dialogs.messages.empty());

    sim::SimulatedUnit& second = plugIn();
    QTest::qWait(100);
    EXPECT_TRUE(second.requests().empty()) << "nothing is sent on its own";
    EXPECT_TRUE(lampShows("portLamp", LampState::Red));
    if (pulled.portChosenAgain) {
        QTest::mouseClick(&control<QRadioButton>("comButton2"), Qt::LeftButton);
        ASSERT_TRUE(lampTurns("portLamp", LampState::Green));
    }
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_TRUE(lampShows("portLamp", LampState::Green));
    EXPECT_EQ(ScratchDir::readBytes(dir.pathOf("dump.bin")), second.flash());
}

const PulledCase kPulledCases[] = {
    {"DuringAProgramBlockThenThePortIsChosenAgain", 0x05, "Program", "Programowanie ERR komunikacji",
     "Blad podczas programowania ukladu", true},
    {"DuringAReadBlockThenARunIsStarted", 0x02, "Read", "Odczyt ERR komunikacji", "Blad podczas odczytu programu",
     false},
};

INSTANTIATE_TEST_SUITE_P(, AdapterPulledOut, ::testing::ValuesIn(kPulledCases),
                         [](const ::testing::TestParamInfo<PulledCase>& test) { return std::string(test.param.name); });

// While the window is idle, the link moves to another unit, and then the
// unit behind it restarts: its pty goes and a new one takes its name. No byte
// went over the line meanwhile, so only the next run can find out.
TEST_F(WindowWithUsbAdapter, NextRunReachesTheUnitNowBehindThePortName)
{
    sim::SimulatedUnit& first = plugIn();
    dir.write("config.cfg",
              settingsText({"DETECT=1", "COM=2", "COM2 DEVICE=" + adapter}) + portDeviceLines(server.devicePath()));
    writeRecent({writeFirmware()});
    start();

    // The first unit stays up: only the name leads elsewhere.
    const std::unique_ptr<sim::PtyUnitServer> firstServer = std::move(pluggedServer);
    sim::SimulatedUnit& second = plugIn();
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_TRUE(first.requests().empty());
    EXPECT_EQ(requestsOf(second, 0x00), 1u);

    pullOut();
    sim::SimulatedUnit& restarted = plugIn();
    EXPECT_TRUE(lampShows("portLamp", LampState::Green)) << "nothing told the window";
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_EQ(stepLine("Detect"), "Prog ver.: 1.2.0 ONLINE");
    EXPECT_EQ(requestsOf(restarted, 0x00), 1u);
    EXPECT_TRUE(lampShows("portLamp", LampState::Green));
}

namespace {

// Where a run stands in its sequence; the power steps have no line of their
// own, and a run that went through leaves no step at fault.
enum class Stage { Detect, PowerOn, Erase, TestFF, Program, Verify, Read, PowerOff, None };

struct RunCase {
    const char* name;
    sim::UnitOptions unit;
    Stage stage;           // where the fault showed; None when nowhere
    const char* stageLine; // the line that step shows; nullptr when its usual one
    const char* failure;   // the main status text; nullptr when the run succeeds
    const char* requests;  // the commands the unit received, as Window::receivedCommands writes them
    int waitedMs;          // what the run must wait: 5000 per timed-out reply, the unit's work, the line
    sim::PtyUnitServerOptions line{};
};

// Test names and failures show the case by its name.
inline void PrintTo(const RunCase& run, std::ostream* out)
{
    *out << run.name;
}

struct DeviceStep {
    const char* name;
    Stage stage;
    const char* okLine;
};

constexpr std::array<DeviceStep, 6> kDeviceSteps{{
    {"Detect", Stage::Detect, "Prog ver.: 1.2.0 ONLINE"},
    {"Erase", Stage::Erase, "Kasowanie FLASH... OK"},
    {"TestFF", Stage::TestFF, "Test czystości... OK"},
    {"Program", Stage::Program, "Programowanie ... OK"},
    {"Verify", Stage::Verify, "Weryfikacja ... OK"},
    {"Read", Stage::Read, "Odczyt ... OK"},
}};

// The steps before the one at fault passed, the later ones were never begun.
QString expectedLine(const RunCase& run, const DeviceStep& step)
{
    if (step.stage == run.stage && run.stageLine != nullptr)
        return run.stageLine;
    if (run.failure != nullptr && step.stage > run.stage)
        return kReady;
    return step.okLine;
}

// The image is kSmallHex's 772 bytes: 12 blocks of 64 and one of 4.
constexpr char kWholeRun[] = "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02x2048 03 0E";

// Time for the window's own work on top of the waits: a whole run under the
// sanitizers on a busy machine fits, one more timed-out reply does not.
constexpr int kRunMarginMs = 2500;

} // namespace

class WindowFaultMatrix : public Window, public ::testing::WithParamInterface<RunCase> {
protected:
    WindowFaultMatrix() : Window(GetParam().unit, GetParam().line) {}

    QRegularExpression expectedMainStatus() const
    {
        const char* failure = GetParam().failure;
        return QRegularExpression(failure != nullptr ? "^" + QRegularExpression::escape(failure) + "$"
                                                     : QStringLiteral("^PROGRAM OK\\. Czas: (\\d+)\\.(\\d{3}) s$"));
    }
};

TEST_P(WindowFaultMatrix, RunOfEveryStepEndsAsTheUnitAnswered)
{
    const RunCase& run = GetParam();
    writeConfig(settingsText({"DETECT=1", "ERASE=1", "TEST FF=1", "PROGRAM=1", "VERIFY=1", "READ=1"}));
    writeRecent({writeFirmware()});
    const std::string readBack = dir.pathOf("dump.bin");
    dialogs.readBackAnswer = readBack;
    start();

    QElapsedTimer elapsed;
    elapsed.start();
    QTest::mouseClick(&control<QPushButton>("executeButton"), Qt::LeftButton);
    ASSERT_TRUE(runEnds());
    const qint64 runMs = elapsed.elapsed();
    EXPECT_GE(runMs, run.waitedMs);
    EXPECT_LE(runMs, run.waitedMs + kRunMarginMs);

    // The run's last refresh may still be on its way.
    QRegularExpressionMatch finalStatus;
    EXPECT_TRUE(
        waitFor([&] { return (finalStatus = expectedMainStatus().match(text("mainStatusText"))).hasMatch(); }, 5000))
        << text("mainStatusText").toStdString();
    for (const DeviceStep& step : kDeviceSteps)
        EXPECT_EQ(stepLine(step.name), expectedLine(run, step)) << step.name;
    EXPECT_EQ(stepLine("Reload"), kUnticked);
    EXPECT_TRUE(lampShows("runLamp", run.failure != nullptr ? LampState::Red : LampState::Green));
    EXPECT_TRUE(lampShows("portLamp", LampState::Green));
    EXPECT_TRUE(runControlsEnabled());
    EXPECT_EQ(receivedCommands(), run.requests);

    if (run.failure != nullptr) {
        EXPECT_TRUE(dialogs.readBackStartDirectories.empty());
        EXPECT_FALSE(fs::exists(readBack));
        return;
    }
    EXPECT_EQ(dialogs.readBackStartDirectories.size(), 1u);
    EXPECT_EQ(ScratchDir::readBytes(readBack), unit.flash());
    if (finalStatus.hasMatch()) {
        const int shownMs = finalStatus.captured(1).toInt() * 1000 + finalStatus.captured(2).toInt();
        EXPECT_GE(shownMs, run.waitedMs) << "the time shown covers the waits";
        EXPECT_LE(shownMs, runMs);
    }
}

namespace {

using sim::FaultAction;
using enum CommandCode;

sim::UnitOptions faulty(CommandCode command, int occurrence, FaultAction action, std::uint8_t value = 1)
{
    sim::UnitOptions options;
    options.faults.push_back({static_cast<std::uint8_t>(command), occurrence, action, value});
    return options;
}

RunCase passing(const char* name, sim::UnitOptions unit, int waitedMs = 0, sim::PtyUnitServerOptions line = {})
{
    return {name, std::move(unit), Stage::None, nullptr, nullptr, kWholeRun, waitedMs, line};
}

RunCase failing(const char* name, sim::UnitOptions unit, Stage stage, const char* stageLine, const char* failure,
                const char* requests, int waitedMs = 0)
{
    return {name, std::move(unit), stage, stageLine, failure, requests, waitedMs};
}

// A refused request is not carried out; the unit answers it with a non-zero
// status byte. Blocks are refused at the third, or the last, short one.
const RunCase kRefusedCases[] = {
    // The version reply has no status byte, so the run goes on: the refusal
    // AA 55 01 00 35 73 reads as version characters '5', then its CRC byte 's',
    // then the zero of a byte that did not come, which ends the text.
    failing("GetVersion", faulty(CmdGetVersion, 1, FaultAction::Refuse, '5'), Stage::Detect, "Prog ver.: 5.s.", nullptr,
            kWholeRun),
    failing("ReadInit", faulty(CmdReadInit, 1, FaultAction::Refuse), Stage::Read, "Odczyt INIT ERROR",
            "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01"),
    // The refusal is a reply too short to hold a block.
    failing("ReadBlock", faulty(CmdReadBlock, 3, FaultAction::Refuse), Stage::Read, "Odczyt ERR odczytu",
            "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02x3"),
    failing("ReadEnd", faulty(CmdReadEnd, 1, FaultAction::Refuse), Stage::Read, "Odczyt End ERROR",
            "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02x2048 03"),
    failing("ProgramInit", faulty(CmdProgramInit, 1, FaultAction::Refuse), Stage::Program, "Programowanie INIT ERROR",
            "Blad podczas programowania ukladu", "00 0D 07 08 04"),
    failing("ProgramBlock", faulty(CmdProgramBlock, 3, FaultAction::Refuse), Stage::Program,
            "Programowanie ERROR at 128", "Blad podczas programowania ukladu", "00 0D 07 08 04 05x3"),
    failing("ProgramEnd", faulty(CmdProgramEnd, 1, FaultAction::Refuse), Stage::Program, "Programowanie End ERROR",
            "Blad podczas programowania ukladu", "00 0D 07 08 04 05x13 06"),
    failing("Erase", faulty(CmdErase, 1, FaultAction::Refuse), Stage::Erase, "Kasowanie FLASH... ERROR",
            "Blad podczas kasowania ukladu", "00 0D 07"),
    failing("BlankTest", faulty(CmdBlankTest, 1, FaultAction::Refuse), Stage::TestFF, "Test czystości... ERROR",
            "Blad - pamiec zapisana", "00 0D 07 08"),
    failing("VerifyInit", faulty(CmdVerifyInit, 1, FaultAction::Refuse), Stage::Verify, "Weryfikacja INIT ERROR",
            "Blad podczas weryfikacji programu", "00 0D 07 08 04 05x13 06 09"),
    failing("VerifyBlock", faulty(CmdVerifyBlock, 13, FaultAction::Refuse), Stage::Verify, "Weryfikacja ERROR at 768",
            "Blad podczas weryfikacji programu", "00 0D 07 08 04 05x13 06 09 0Ax13"),
    failing("VerifyEnd", faulty(CmdVerifyEnd, 1, FaultAction::Refuse), Stage::Verify, "Weryfikacja End ERROR",
            "Blad podczas weryfikacji programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B"),
    failing("PowerOn", faulty(CmdPowerOn, 1, FaultAction::Refuse), Stage::PowerOn, nullptr,
            "Blad inicjalizacji programowania", "00 0D"),
    failing("PowerOff", faulty(CmdPowerOff, 1, FaultAction::Refuse), Stage::PowerOff, nullptr,
            "Blad podczas zakonczenia procedury", kWholeRun),
};

// A reply that never comes and one with a wrong CRC fail their exchange
// alike: the lost one when its 5000 ms are over, the damaged one the moment
// it is complete. The unit did the work either way. An init without a valid
// reply does not stop its transfer: the first block decides, and the unit had
// opened the transfer. Blocks fail at the last one.
std::vector<RunCase> invalidReplyCases(FaultAction action)
{
    const int waitedMs = action == FaultAction::Silent ? 5000 : 0;
    return {
        failing("GetVersion", faulty(CmdGetVersion, 1, action), Stage::Detect, "Connection ERROR",
                "Blad polaczenia z programatorem", "00", waitedMs),
        passing("ReadInit", faulty(CmdReadInit, 1, action), waitedMs),
        failing("ReadBlock", faulty(CmdReadBlock, 2048, action), Stage::Read, "Odczyt ERR komunikacji",
                "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02x2048", waitedMs),
        failing("ReadEnd", faulty(CmdReadEnd, 1, action), Stage::Read, "Odczyt ERR komunikacji",
                "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02x2048 03", waitedMs),
        passing("ProgramInit", faulty(CmdProgramInit, 1, action), waitedMs),
        failing("ProgramBlock", faulty(CmdProgramBlock, 13, action), Stage::Program, "Programowanie ERR komunikacji",
                "Blad podczas programowania ukladu", "00 0D 07 08 04 05x13", waitedMs),
        failing("ProgramEnd", faulty(CmdProgramEnd, 1, action), Stage::Program, "Programowanie ERR komunikacji",
                "Blad podczas programowania ukladu", "00 0D 07 08 04 05x13 06", waitedMs),
        failing("Erase", faulty(CmdErase, 1, action), Stage::Erase, "Blad polaczenia", "Blad podczas kasowania ukladu",
                "00 0D 07", waitedMs),
        failing("BlankTest", faulty(CmdBlankTest, 1, action), Stage::TestFF, "Blad polaczenia",
                "Blad - pamiec zapisana", "00 0D 07 08", waitedMs),
        passing("VerifyInit", faulty(CmdVerifyInit, 1, action), waitedMs),
        failing("VerifyBlock", faulty(CmdVerifyBlock, 13, action), Stage::Verify, "Weryfikacja ERR komunikacji",
                "Blad podczas weryfikacji programu", "00 0D 07 08 04 05x13 06 09 0Ax13", waitedMs),
        failing("VerifyEnd", faulty(CmdVerifyEnd, 1, action), Stage::Verify, "Weryfikacja ERR komunikacji",
                "Blad podczas weryfikacji programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B", waitedMs),
        failing("PowerOn", faulty(CmdPowerOn, 1, action), Stage::PowerOn, nullptr, "Blad inicjalizacji programowania",
                "00 0D", waitedMs),
        failing("PowerOff", faulty(CmdPowerOff, 1, action), Stage::PowerOff, nullptr,
                "Blad podczas zakonczenia procedury", kWholeRun, waitedMs),
    };
}

// Every reply to the command carries 0x0C, a code no request has. Only a read
// block is judged by its command byte; every other reply by its status or
// its version bytes, so those runs go through.
sim::UnitOptions answeringWithWrongCommand(CommandCode command)
{
    return faulty(command, 0, FaultAction::WrongCommand, 0x0C);
}

const RunCase kWrongCommandCases[] = {
    passing("GetVersion", answeringWithWrongCommand(CmdGetVersion)),
    passing("ReadInit", answeringWithWrongCommand(CmdReadInit)),
    {"ReadBlock", answeringWithWrongCommand(CmdReadBlock), Stage::Read, "Odczyt ERR odczytu",
     "Blad podczas odczytu programu", "00 0D 07 08 04 05x13 06 09 0Ax13 0B 01 02", 0},
    passing("ReadEnd", answeringWithWrongCommand(CmdReadEnd)),
    passing("ProgramInit", answeringWithWrongCommand(CmdProgramInit)),
    passing("ProgramBlock", answeringWithWrongCommand(CmdProgramBlock)),
    passing("ProgramEnd", answeringWithWrongCommand(CmdProgramEnd)),
    passing("Erase", answeringWithWrongCommand(CmdErase)),
    passing("BlankTest", answeringWithWrongCommand(CmdBlankTest)),
    passing("VerifyInit", answeringWithWrongCommand(CmdVerifyInit)),
    passing("VerifyBlock", answeringWithWrongCommand(CmdVerifyBlock)),
    passing("VerifyEnd", answeringWithWrongCommand(CmdVerifyEnd)),
    passing("PowerOn", answeringWithWrongCommand(CmdPowerOn)),
    passing("PowerOff", answeringWithWrongCommand(CmdPowerOff)),
};

sim::UnitOptions noisyUnit()
{
    sim::UnitOptions options;
    options.noiseBytes = 9; // the whole noise pattern, 0x55 included, and more
    return options;
}

// Erase and blank test take 4000 ms each, and each of the 2074 blocks 1 ms.
sim::UnitOptions slowUnit()
{
    sim::UnitOptions options;
    options.eraseTime = std::chrono::milliseconds(4000);
    options.blockTime = std::chrono::milliseconds(1);
    return options;
}

// A line of 230400 bps hands the reader each read reply of 77 bytes in
// pieces of 23 bytes, a millisecond apart.
constexpr sim::PtyUnitServerOptions kSplittingLine{230400};

const RunCase kWholeRunCases[] = {
    passing("NoiseBeforeEveryReply", noisyUnit()),
    passing("SlowEraseAndBlocks", slowUnit(), 2 * 4000 + 2074),
    // The run puts 28561 request and 157920 reply bytes on the line, ten bits each.
    passing("RepliesSplitByTheLine", {}, 8094, kSplittingLine),
};

std::string caseName(const ::testing::TestParamInfo<RunCase>& test)
{
    return test.param.name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Refuse, WindowFaultMatrix, ::testing::ValuesIn(kRefusedCases), caseName);
INSTANTIATE_TEST_SUITE_P(Silent, WindowFaultMatrix, ::testing::ValuesIn(invalidReplyCases(FaultAction::Silent)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(BadCrc, WindowFaultMatrix, ::testing::ValuesIn(invalidReplyCases(FaultAction::BadCrc)),
                         caseName);
INSTANTIATE_TEST_SUITE_P(WrongCommand, WindowFaultMatrix, ::testing::ValuesIn(kWrongCommandCases), caseName);
INSTANTIATE_TEST_SUITE_P(WholeRun, WindowFaultMatrix, ::testing::ValuesIn(kWholeRunCases), caseName);
