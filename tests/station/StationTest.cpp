#include "engine/Sha256.h"
#include "lang/Language.h"
#include "settings/ProgramDirectory.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "station/ChannelPanel.h"
#include "station/StationWindow.h"
#include "station/StatusLine.h"
#include "support/RecordRows.h"
#include "support/ScratchDir.h"
#include "WaitFor.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orvex::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kProgramBlock = 0x05;
constexpr int kRunTimeoutMs = 60000;
constexpr std::size_t kSerialAddress = 0x200;

// A line of simulated units, each behind its own pty and a link named after
// its channel, and the station window over them, drawn offscreen. Its
// settings, records and job are the scratch folder's.
class Station : public ::testing::Test {
protected:
    struct Unit {
        std::unique_ptr<sim::SimulatedUnit> unit;
        std::unique_ptr<sim::PtyUnitServer> server;
        std::string link;
    };

    void SetUp() override
    {
        setProgramDirectoryForTesting(dir.directory());
        firmware.resize(2048);
        for (std::size_t i = 0; i < firmware.size(); ++i)
            firmware[i] = static_cast<std::uint8_t>(i * 7 + 3);
        dir.write("firmware.bin", std::string(firmware.begin(), firmware.end()));
    }

    void TearDown() override { window.reset(); }

    Unit& addUnit(const std::string& name, sim::UnitOptions options = {})
    {
        Unit& added = units.emplace_back();
        added.unit = std::make_unique<sim::SimulatedUnit>(std::move(options));
        added.link = dir.pathOf(name);
        plugIn(added);
        return added;
    }

    // A unit plugged in again comes up on another pty under the same name.
    static void plugIn(Unit& unit)
    {
        unit.server = std::make_unique<sim::PtyUnitServer>(*unit.unit);
        fs::remove(unit.link);
        fs::create_symlink(unit.server->devicePath(), unit.link);
    }

    // A job over the ports given: erase, program, verify and read, each unit
    // numbered at 0x200 from 100 on.
    std::string writeJob(const std::vector<std::string>& ports) const
    {
        std::string portList;
        for (const std::string& port : ports)
            portList += (portList.empty() ? "" : ",") + port;
        return dir.write("line.job", "NAME=TV-A\nFIRMWARE=firmware.bin\nSHA256=" + sha256Hex(firmware)
                                         + "\nSTEPS=erase,program,verify,read\nREADBACK=read-{port}-{serial}.bin\n"
                                           "PORTS="
                                         + portList
                                         + "\nSERIAL_ADDRESS=0x200\nSERIAL_LENGTH=6\n"
                                           "SERIAL_FORMAT=dec\nSERIAL_FIRST=100\n");
    }

    void openWindow(const std::string& job)
    {
        window = std::make_unique<station::StationWindow>();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_EQ(window->openJob(job), std::nullopt);
    }

    QWidget& channel(int number) const
    {
        auto* panel = window->findChild<QWidget*>(QStringLiteral("channel%1").arg(number));
        EXPECT_NE(panel, nullptr) << "channel " << number;
        return *panel;
    }

    std::string label(int number, const char* name) const
    {
        return channel(number).findChild<QLabel*>(name)->text().toStdString();
    }

    std::string stepLine(int number) const
    {
        return channel(number).findChild<station::StatusLine*>("stepLine")->text().toStdString();
    }

    std::string windowLabel(const char* name) const { return window->findChild<QLabel*>(name)->text().toStdString(); }

    // Until every channel has ended and shows it: its start button is back.
    bool channelsEnd() const
    {
        return waitFor(
            [&] {
                const auto buttons = window->findChildren<QPushButton*>("startButton");
                return !window->anyRunning()
                       && std::ranges::all_of(buttons, [](const QPushButton* button) { return button->isEnabled(); });
            },
            kRunTimeoutMs);
    }

    static std::size_t requestsOf(const sim::SimulatedUnit& unit, std::uint8_t command)
    {
        const auto requests = unit.requests();
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const sim::ReceivedRequest& r) { return r.command == command; }));
    }

    Bytes numbered(int serial) const
    {
        Bytes expected = firmware;
        const std::string digits = "000" + std::to_string(serial);
        std::copy(digits.begin(), digits.end(), expected.begin() + kSerialAddress);
        return expected;
    }

    static bool startsWith(const Bytes& flash, const Bytes& prefix)
    {
        return flash.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), flash.begin());
    }

    std::vector<Row> records() const
    {
        return sqliteRows(dir.pathOf("runs.sqlite"), "SELECT port, result, serial, message FROM runs ORDER BY serial");
    }

    ScratchDir dir;
    Bytes firmware;
    std::deque<Unit> units;
    std::unique_ptr<station::StationWindow> window;
};

TEST_F(Station, EnterProgramsEveryUnitAtOnceEachWithItsOwnNumberFileAndRecord)
{
    std::vector<std::string> ports;
    for (const char* name : {"unit-a", "unit-b", "unit-c", "unit-d"})
        ports.push_back(addUnit(name).link);
    openWindow(writeJob(ports));
    EXPECT_EQ(windowLabel("jobName"), "TV-A");
    EXPECT_EQ(windowLabel("jobSteps"), "Skasuj Pamiec · Programuj · Weryfikuj · Odczytaj");
    EXPECT_NE(windowLabel("jobFirmware").find(sha256Hex(firmware).substr(0, 12)), std::string::npos);

    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_TRUE(channelsEnd());

    std::set<int> serials;
    for (int number = 1; number <= 4; ++number) {
        const Unit& unit = units[static_cast<std::size_t>(number - 1)];
        EXPECT_TRUE(label(number, "result").starts_with("PROGRAM OK. Czas: ")) << label(number, "result");
        EXPECT_EQ(stepLine(number), "Odczyt ... OK");
        EXPECT_EQ(label(number, "counts"), "Dobre: 1   Złe: 0");
        const int serial = std::stoi(label(number, "serial").substr(std::string("Numer seryjny: ").size()));
        serials.insert(serial);
        const Bytes flash = unit.unit->flash();
        EXPECT_TRUE(startsWith(flash, numbered(serial))) << "channel " << number;
        const std::string readBack =
            "read-" + fs::path(unit.link).filename().string() + "-" + std::to_string(serial) + ".bin";
        EXPECT_EQ(ScratchDir::readBytes(dir.pathOf(readBack)), flash);
    }
    EXPECT_EQ(serials, (std::set<int>{100, 101, 102, 103})) << "never one number twice";
    const auto rows = records();
    ASSERT_EQ(rows.size(), 4u);
    for (const Row& row : rows)
        EXPECT_EQ(text(row, "result"), "ok") << text(row, "port");
    EXPECT_EQ(windowLabel("shiftYield"), "Zmiana: 4 dobrych, 0 złych, uzysk 100,0 %");
    EXPECT_EQ(windowLabel("todayYield"), "Dziś: 4 dobrych, 0 złych, uzysk 100,0 %");

    // The engineer rewrites the firmware while the job is open: no unit gets
    // a byte of either file.
    dir.write("firmware.bin", "changed");
    const std::size_t blocksBefore = requestsOf(*units[0].unit, kProgramBlock);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_1);
    EXPECT_FALSE(window->anyRunning());
    EXPECT_NE(windowLabel("stationMessage").find("zmienił się na dysku"), std::string::npos);
    QTest::qWait(200);
    EXPECT_EQ(requestsOf(*units[0].unit, kProgramBlock), blocksBefore);
    EXPECT_EQ(records().size(), 4u);
}

TEST_F(Station, FaultsOfOneChannelStayInItAndAUnitPluggedBackWorksAgain)
{
    sim::UnitOptions slowBlocks;
    slowBlocks.blockTime = std::chrono::milliseconds(30); // pulled out among its 32 blocks
    sim::UnitOptions silent;
    silent.faults = {{kProgramBlock, 2, sim::FaultAction::Silent}};
    sim::UnitOptions refusing;
    refusing.faults = {{kProgramBlock, 3, sim::FaultAction::Refuse, 0x02}};
    Unit& good = addUnit("good");
    Unit& pulled = addUnit("pulled", slowBlocks);
    addUnit("quiet", silent);
    addUnit("refuser", refusing);
    std::vector<std::string> ports{dir.pathOf("unplugged")};
    for (const Unit& unit : units)
        ports.push_back(unit.link);
    openWindow(writeJob(ports));
    EXPECT_NE(label(1, "portLine").find("Port zamknięty: "), std::string::npos) << label(1, "portLine");

    QTest::mouseClick(window->findChild<QPushButton*>("startAllButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return requestsOf(*pulled.unit, kProgramBlock) >= 3; }, kRunTimeoutMs));
    pulled.server.reset();
    ASSERT_TRUE(channelsEnd());

    EXPECT_TRUE(label(2, "result").starts_with("PROGRAM OK. Czas: ")) << label(2, "result");
    EXPECT_TRUE(startsWith(good.unit->flash(), numbered(std::stoi(label(2, "serial").substr(15)))));
    EXPECT_EQ(stepLine(3), "Programowanie ERR komunikacji");
    EXPECT_EQ(label(3, "result"), "Blad podczas programowania ukladu");
    EXPECT_EQ(stepLine(4), "Programowanie ERR komunikacji");
    EXPECT_EQ(stepLine(5), "Programowanie ERROR at 128");
    EXPECT_EQ(label(5, "result"), "Blad podczas programowania ukladu");
    EXPECT_NE(label(1, "portLine").find("Port zamknięty: "), std::string::npos) << "says why it did not run";
    EXPECT_EQ(windowLabel("shiftYield"), "Zmiana: 1 dobrych, 4 złych, uzysk 20,0 %");
    const auto rows = records();
    ASSERT_EQ(rows.size(), 5u) << "every channel that was started has its record";
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const Row& row) { return text(row, "result") == "ok"; }), 1);

    // Back after a restart, at full speed again.
    pulled.unit = std::make_unique<sim::SimulatedUnit>();
    plugIn(pulled);
    QTest::keyClick(window.get(), Qt::Key_3);
    ASSERT_TRUE(waitFor([&] { return label(3, "counts") == "Dobre: 1   Złe: 1"; }, kRunTimeoutMs))
        << label(3, "result");
    EXPECT_TRUE(startsWith(pulled.unit->flash(), numbered(std::stoi(label(3, "serial").substr(15)))));
    EXPECT_EQ(label(2, "counts"), "Dobre: 1   Złe: 0") << "no other channel ran with it";
}

TEST_F(Station, ClosingWhileAChannelRunsClosesOnceItHasEndedAndTheJobIsOpenedNextTime)
{
    sim::UnitOptions slowBlocks;
    slowBlocks.blockTime = std::chrono::milliseconds(1);
    const std::string job = writeJob({addUnit("unit", slowBlocks).link});
    openWindow(job);
    QTest::keyClick(window.get(), Qt::Key_1);
    ASSERT_TRUE(window->anyRunning());
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->findChild<QPushButton*>("startAllButton")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }, kRunTimeoutMs));
    const auto rows = records();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(text(rows[0], "result"), "ok");

    window = std::make_unique<station::StationWindow>();
    window->openFirstJob(std::nullopt);
    EXPECT_EQ(windowLabel("jobName"), "TV-A");
    EXPECT_EQ(label(1, "counts"), "Dobre: 0   Złe: 0");
    EXPECT_EQ(windowLabel("todayYield"), "Dziś: 1 dobrych, 0 złych, uzysk 100,0 %");
}

// LANGUAGE=en in config.cfg, as the program reads it at start; Polish again
// afterwards, for the tests that follow in this process.
class StationInEnglish : public Station {
protected:
    void SetUp() override
    {
        Station::SetUp();
        dir.write("config.cfg", "LANGUAGE=en\n");
        lang::useLanguage(lang::configuredLanguage());
    }

    void TearDown() override
    {
        Station::TearDown();
        lang::useLanguage(lang::Language::Polish);
    }
};

// The record keeps the result line as the operator saw it; its result field
// is the same word in every language.
TEST_F(StationInEnglish, ShowsTheJobTheChannelAndTheYieldInEnglish)
{
    openWindow(writeJob({addUnit("unit").link}));
    EXPECT_EQ(window->windowTitle(), "Orvex Station — programming SDA5555FL");
    EXPECT_EQ(windowLabel("jobSteps"), "Erase memory · Program · Verify · Read");
    EXPECT_EQ(window->findChild<QPushButton*>("startAllButton")->text(), "Start all (Enter)");

    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_TRUE(channelsEnd());
    EXPECT_TRUE(label(1, "result").starts_with("PROGRAM OK. Time: ")) << label(1, "result");
    EXPECT_EQ(stepLine(1), "Reading ... OK");
    EXPECT_EQ(label(1, "counts"), "Good: 1   Bad: 0");
    EXPECT_EQ(label(1, "serial"), "Serial number: 100");
    EXPECT_EQ(windowLabel("shiftYield"), "Shift: 1 good, 0 bad, yield 100.0 %");
    const auto rows = sqliteRows(dir.pathOf("runs.sqlite"), "SELECT result, message FROM runs");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(text(rows[0], "result"), "ok");
    EXPECT_EQ(text(rows[0], "message"), label(1, "result"));
}

} // namespace
} // namespace orvex::test
