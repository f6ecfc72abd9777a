// The window when its files let it down: a read-back that does not fit on the
// disk, and settings files that are damaged, unwritable or name the wrong
// kind of file.

#include "ui/WindowFixture.h"

#include <QElapsedTimer>
#include <QRadioButton>

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

TEST_F(Window, ReadBackThatDoesNotFitKeepsTheOldFileAndTellsTheOperator)
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
    dialogs.readBackAnswer = dump;
    start();

    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << "the chip was read; only the file failed";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Nie można zapisać pliku " + QString::fromStdString(dump) + ":\n"))
        << dialogs.messages[0].toStdString();
    EXPECT_EQ(ScratchDir::readFile(dump), "the previous read-back");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no part of the new file is left";
}

// Each settings file that is damaged, cannot be written or leads somewhere it
// should not still lets the window start at once, with a defined outcome.
struct BadSettingsCase {
    const char* name;
    // Writes the files into the program folder; portLines name the unit.
    std::function<std::optional<Mount>(const ScratchDir&, const std::string& portLines)> prepare;
    int messages;               // open failures shown at start-up
    bool asksForFirmware;       // the recent list gave no loadable file
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
     0, false, {"firmware.hex"}, {}},
    {"ConfigWithNulBytes",
     [](const ScratchDir& dir, const std::string& portLines) {
         using namespace std::string_literals;
         return writeConfigBytes(dir, "READ=1\0junk\n\rPROG\0RAM=1\n\r\0\0\0\n\rERASE= \0 1\n\r"s + portLines);
     },
     0, false, {"firmware.hex"}, {"Read"}},
    {"ConfigWithAMegabyteLine",
     [](const ScratchDir& dir, const std::string& portLines) {
         return writeConfigBytes(dir, "OPERATOR=" + std::string(1000000, 'x') + "\n\rERASE=1\n\r" + portLines);
     },
     0, false, {"firmware.hex"}, {"Erase"}},
    {"ReadOnlyConfig",
     [](const ScratchDir& dir, const std::string& portLines) {
         return makeReadOnly(dir.write("config.cfg", "READ=1\n\r" + portLines));
     },
     1, false, {"firmware.hex"}, {}},
    {"LatestOfBinaryJunk",
     [](const ScratchDir& dir, const std::string& portLines) {
         dir.write("Latest.cfg", binaryJunk(4096));
         return writeConfigBytes(dir, portLines);
     },
     0, true, {"_empty_"}, {}},
    {"LatestIsADirectory",
     [](const ScratchDir& dir, const std::string& portLines) {
         fs::remove(dir.pathOf("Latest.cfg"));
         fs::create_directory(dir.pathOf("Latest.cfg"));
         return writeConfigBytes(dir, portLines);
     },
     1, true, {"_empty_"}, {}},
    {"LatestNamesAFifo",
     [](const ScratchDir& dir, const std::string& portLines) {
         ::mkfifo(dir.pathOf("firmware.fifo").c_str(), 0644);
         dir.write("Latest.cfg", "File 0=" + dir.pathOf("firmware.fifo") + "\n\r");
         return writeConfigBytes(dir, portLines);
     },
     0, true, {"firmware.fifo"}, {}},
    {"LatestNamesADirectory",
     [](const ScratchDir& dir, const std::string& portLines) {
         fs::create_directory(dir.pathOf("firmware.hex.d"));
         dir.write("Latest.cfg", "File 0=" + dir.pathOf("firmware.hex.d") + "\n\r");
         return writeConfigBytes(dir, portLines);
     },
     0, true, {"firmware.hex.d"}, {}},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(, BadSettingsFiles, ::testing::ValuesIn(kBadSettingsCases),
                         [](const ::testing::TestParamInfo<BadSettingsCase>& test) { return std::string(test.param.name); });

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
        return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(),
                                                       [&](const sim::ReceivedRequest& r) { return r.command == command; }));
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
    {"DuringAReadBlockThenARunIsStarted", 0x02, "Read", "Odczyt ERR komunikacji", "Blad podczas odczytu programu", false},
};

INSTANTIATE_TEST_SUITE_P(, AdapterPulledOut, ::testing::ValuesIn(kPulledCases),
                         [](const ::testing::TestParamInfo<PulledCase>& test) { return std::string(test.param.name); });
