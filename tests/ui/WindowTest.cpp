#include "lang/Language.h"
#include "ui/DisplayThrottle.h"
#include "ui/WindowThreadGate.h"
#include "ui/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include <sys/inotify.h>
#include <unistd.h>
#include <utime.h>

using namespace orvex;
using namespace orvex::test;
using ui::controlNamed;
namespace fs = std::filesystem;

TEST_F(Window, StartsWithoutRecentFilesByAskingForOne)
{
    dir.write("config.cfg", portDeviceLines(server.devicePath()));
    start();

    EXPECT_EQ(dialogs.firmwareStartDirectories, std::vector<std::string>{""}) << "asked once, from no folder";
    EXPECT_EQ(comboItems(), QStringList{"_empty_"});
    EXPECT_EQ(text("pathText"), "");
    EXPECT_EQ(text("fileSizeText"), "");
    EXPECT_EQ(text("mainStatusText"), "");
    for (const char* step : kStepNames) {
        EXPECT_EQ(toggle(step).checkState(), Qt::Unchecked) << step;
        EXPECT_EQ(stepLine(step), kUnticked) << step;
    }
    EXPECT_TRUE(control<QRadioButton>("comButton1").isChecked());
    EXPECT_TRUE(lampShows("runLamp", LampState::Blue));
    EXPECT_TRUE(control<QLabel>("portLamp").toolTip().contains(QString::fromStdString(server.devicePath())));
    EXPECT_EQ(QApplication::focusWidget(), &control("executeButton"));
    EXPECT_EQ(window->windowTitle(), "Programator Orvex v1.1a dla ukladu SDA5555FL ");
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Window, StartsFromSavedSettingsAndTheNewestRecentFile)
{
    const std::string firmware = writeFirmware();
    constexpr std::time_t kBuilt = 1701913929; // 07 December 2023, 01:52:09 UTC
    const utimbuf times{kBuilt, kBuilt};
    ASSERT_EQ(::utime(firmware.c_str(), &times), 0);
    dir.write("config.cfg",
              settingsText({"READ=1", "VERIFY=2", "DETECT=7", "COM=2", "COM1 DEVICE=" + dir.pathOf("missing-tty"),
                            "COM2 DEVICE=" + server.devicePath()}));
    writeRecent({firmware, dir.pathOf("older.bin")});

    // The month stays English in a Polish environment, where it is possible
    // to make one.
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const bool polish =
        std::system(("localedef -i pl_PL -f UTF-8 " + dir.pathOf("pl_PL.UTF-8") + " 2>/dev/null").c_str()) == 0
        && ::setenv("LOCPATH", dir.directory().c_str(), 1) == 0 && std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr;
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    start();
    std::setlocale(LC_ALL, saved.c_str());
    ::unsetenv("LOCPATH");

    EXPECT_TRUE(polish) << "no Polish locale could be made; the locale went unchecked";
    EXPECT_TRUE(dialogs.firmwareStartDirectories.empty());
    EXPECT_EQ(comboItems(), (QStringList{"firmware.hex", "older.bin"}));
    EXPECT_EQ(control<QComboBox>("recentCombo").currentIndex(), 0);
    EXPECT_EQ(text("pathText").toStdString(), firmware);
    EXPECT_EQ(text("fileTimeText"), "07 December, 01:52:09");
    EXPECT_EQ(text("fileSizeText"), kSmallHexSizes);

    EXPECT_EQ(toggle("Read").checkState(), Qt::Checked);
    EXPECT_EQ(toggle("Verify").checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(toggle("Detect").checkState(), Qt::Unchecked) << "a value outside 0..2 shows unticked";
    EXPECT_EQ(toggle("Program").checkState(), Qt::Unchecked);
    EXPECT_EQ(stepLine("Read"), kReady);
    EXPECT_EQ(stepLine("Program"), kUnticked);
    EXPECT_TRUE(control<QRadioButton>("comButton2").isChecked()) << "the worker opened COM2";
}

TEST_F(Window, EnterRunsEveryTickedStepAndSavesWhatWasRead)
{
    writeConfig(settingsText({"READ=1", "PROGRAM=1", "RELOAD=1", "ERASE=1", "TEST FF=1", "VERIFY=1", "DETECT=1"}));
    writeRecent({writeFirmware()});
    dialogs.readBackAnswer = dir.pathOf("dump.bin");
    start();

    pressEnter();
    EXPECT_FALSE(control("executeButton").isEnabled()) << "a run locks the controls at once";
    EXPECT_FALSE(window->findChild<QAction*>("openAction")->isEnabled());
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();

    EXPECT_EQ(stepLine("Reload"), "Plik załadowany");
    EXPECT_EQ(stepLine("Detect"), "Prog ver.: 1.2.0 ONLINE");
    EXPECT_EQ(stepLine("Erase"), "Kasowanie FLASH... OK");
    EXPECT_EQ(stepLine("TestFF"), "Test czystości... OK");
    EXPECT_EQ(stepLine("Program"), "Programowanie ... OK");
    EXPECT_EQ(stepLine("Verify"), "Weryfikacja ... OK");
    EXPECT_EQ(stepLine("Read"), "Odczyt ... OK");
    EXPECT_EQ(control<QProgressBar>("progressBar").maximum(), 131072);
    EXPECT_EQ(control<QProgressBar>("progressBar").value(), 131072);
    EXPECT_TRUE(window->findChild<QAction*>("openAction")->isEnabled());

    EXPECT_EQ(dialogs.readBackStartDirectories, std::vector<std::string>{dir.directory()});
    const auto saved = test::ScratchDir::readBytes(dir.pathOf("dump.bin"));
    EXPECT_EQ(saved, unit.flash());
    ASSERT_EQ(saved.size(), 131072u);
    EXPECT_EQ(saved[0x0000], 0x10);
    EXPECT_EQ(saved[0x0020], 0xFF);
    EXPECT_EQ(saved[0x0303], 0xBE);
    EXPECT_EQ(saved[0x0304], 0xFF);
}

TEST_F(Window, FailingStepEndsTheRunWithItsMessageUntilAToggleResetsTheLines)
{
    writeConfig(settingsText({"ERASE=1", "PROGRAM=1", "VERIFY=1"}));
    writeRecent({writeFirmware()});
    unit.addFault({0x07, 1, sim::FaultAction::Refuse, 0x02});
    start();

    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runEnds());
    ASSERT_TRUE(mainStatusBecomes("Blad podczas kasowania ukladu"));
    EXPECT_TRUE(lampShows("runLamp", LampState::Red));
    EXPECT_EQ(stepLine("Erase"), "Kasowanie FLASH... ERROR");
    EXPECT_EQ(stepLine("Program"), kReady);
    EXPECT_EQ(stepLine("Verify"), kReady);
    EXPECT_EQ(stepLine("Detect"), kUnticked);
    EXPECT_TRUE(dialogs.readBackStartDirectories.empty());

    QTest::mouseClick(&toggle("Detect"), Qt::LeftButton);
    EXPECT_EQ(toggle("Detect").checkState(), Qt::Checked);
    for (const char* step : {"Detect", "Erase", "Program", "Verify"})
        EXPECT_EQ(stepLine(step), kReady) << step;
    EXPECT_EQ(stepLine("Read"), kUnticked);
    EXPECT_EQ(text("mainStatusText"), "Blad podczas kasowania ukladu") << "the result stays";
}

// Nothing reaches the unit from a run that would program or verify no data,
// more data than the flash holds, or a HEX file with lines left out that the
// operator did not accept; the controls stay free for another file.
TEST_F(Window, RunThatWouldSendWrongDataIsRefusedBeforeAnythingIsSent)
{
    writeConfig(settingsText({"ERASE=1", "PROGRAM=1", "VERIFY=1"}));
    start(); // no recent file, and the open-file dialog at start-up cancelled
    const auto refused = [&](const char* why) {
        pressEnter();
        EXPECT_EQ(text("mainStatusText"), why);
        EXPECT_TRUE(lampShows("runLamp", LampState::Red));
        EXPECT_TRUE(runControlsEnabled());
        EXPECT_TRUE(window->findChild<QAction*>("openAction")->isEnabled());
        QTest::qWait(100);
        EXPECT_EQ(receivedCommands(), "") << why;
    };
    refused("Brak danych: plik pusty lub niewczytany");

    dialogs.firmwareAnswers.push_back(dir.write("huge.bin", std::string(200 * 1024, 'h')));
    window->findChild<QAction*>("openAction")->trigger();
    EXPECT_EQ(text("fileSizeText"), "File: 204800 (0x32000), Data: 204800 (0x32000) bajtów");
    EXPECT_EQ(control<QLabel>("fileSizeText").toolTip(), "Plik za duży: 204800 B, pamięć układu: 131072 B");
    EXPECT_EQ(control<QLabel>("fileSizeText").palette().color(QPalette::WindowText), QColor(Qt::red));
    refused("Plik za duży: 204800 B, pamięć układu: 131072 B");

    dialogs.firmwareAnswers.push_back(dir.write("damaged.hex", std::string(kSmallHex).insert(44, "junk\n:1000\n")));
    window->findChild<QAction*>("openAction")->trigger();
    EXPECT_NE(control<QLabel>("fileSizeText").palette().color(QPalette::WindowText), QColor(Qt::red));
    refused("Przerwano: plik HEX z pominiętymi wierszami");
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "W pliku HEX pominięto błędne wiersze.\n"
                                    "Pominięte wiersze: 2 (pierwszy: wiersz 2, nie rekord (brak ':' na początku))\n"
                                    "Kontynuować mimo to?");

    // A run that neither programs nor verifies sends no image: nothing to ask.
    QTest::mouseClick(&toggle("Program"), Qt::LeftButton);
    QTest::mouseClick(&toggle("Verify"), Qt::LeftButton);
    pressEnter();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    unit.clearRequests();

    QTest::mouseClick(&toggle("Program"), Qt::LeftButton);
    dialogs.yesNoAnswers.push_back(true);
    pressEnter();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(receivedCommands(), "0D 07 04 05x13 06 0E") << "the lines that loaded were programmed";
}

TEST_F(Window, FileChangedSinceItsLoadIsOfferedForReloadingBeforeTheRun)
{
    writeConfig(settingsText({"ERASE=1", "PROGRAM=1"}));
    const std::string firmware = dir.write("firmware.bin", std::string(300, 'a'));
    writeRecent({firmware});
    start();
    const auto programmed = [&] {
        const std::vector<std::uint8_t> flash = unit.flash();
        const auto end = std::find(flash.begin(), flash.end(), 0xFF);
        return std::string(flash.begin(), end);
    };

    ScratchDir::writeFile(firmware, std::string(400, 'b'));
    pressEnter();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Plik firmware.bin zmienił się na dysku od wczytania.\nWczytać go ponownie?");
    EXPECT_EQ(programmed(), std::string(300, 'a')) << "No keeps what was loaded, as the panel shows it";

    dialogs.yesNoAnswers.push_back(true);
    pressEnter();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(text("fileSizeText"), "File:    400 (0x00190), Data:    400 (0x00190) bajtów");
    EXPECT_EQ(programmed(), std::string(400, 'b'));

    pressEnter();
    ASSERT_TRUE(runSucceeds());
    EXPECT_EQ(dialogs.questions.size(), 2u) << "unchanged since the reload";

    // The same size, only a later time.
    const utimbuf later{std::time(nullptr) + 60, std::time(nullptr) + 60};
    ASSERT_EQ(::utime(firmware.c_str(), &later), 0);
    pressEnter();
    ASSERT_TRUE(runSucceeds());
    EXPECT_EQ(dialogs.questions.size(), 3u);

    // The reload step reads the file anyway: nothing to ask.
    ScratchDir::writeFile(firmware, std::string(500, 'c'));
    QTest::mouseClick(&toggle("Reload"), Qt::LeftButton);
    pressEnter();
    ASSERT_TRUE(runSucceeds());
    EXPECT_EQ(dialogs.questions.size(), 3u);
    EXPECT_EQ(programmed(), std::string(500, 'c'));
}

// The window's runs are recorded like the command line's; a record that
// cannot be written is told once the run is over, without holding it up.
TEST_F(Window, EveryRunIsRecordedAndALostRecordIsToldAfterTheRun)
{
    const std::string records = dir.pathOf("runs.sqlite");
    writeConfig(settingsText({"ERASE=1"}) + "RECORDS=sqlite:" + records + "\n\r");
    writeRecent({writeFirmware()});
    start();
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds());
    QProcess sqlite;
    sqlite.start("sqlite3", {QString::fromStdString(records), "SELECT program, port, device, steps, result FROM runs"});
    ASSERT_TRUE(sqlite.waitForFinished());
    EXPECT_EQ(sqlite.readAllStandardOutput().toStdString(),
              "orvex-programmer|COM1|" + server.devicePath() + "|erase|ok\n");
    EXPECT_TRUE(dialogs.messages.empty());
    window.reset();

    // A folder where the file should be: no record can be written there.
    std::filesystem::remove(records);
    std::filesystem::create_directory(records);
    start();
    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << "the run itself is not hurt";
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }, 5000));
    EXPECT_TRUE(dialogs.messages.front().startsWith("Nie zapisano przebiegu w bazie: "))
        << dialogs.messages.front().toStdString();
}

TEST_F(Window, ReloadOfAVanishedFileRunsOnlyWhenAnotherIsChosen)
{
    writeConfig(settingsText({"RELOAD=1"}));
    const std::string vanished = writeFirmware("vanished.hex");
    writeRecent({vanished});
    start();
    fs::remove(vanished);

    control<QPushButton>("executeButton").click();
    EXPECT_EQ(stepLine("Reload"), "Blad przeladowania pliku!!!");
    EXPECT_TRUE(lampShows("runLamp", LampState::Red));
    EXPECT_TRUE(control("executeButton").isEnabled()) << "no run was handed over";
    EXPECT_EQ(text("mainStatusText"), "");
    QTest::qWait(100);
    EXPECT_TRUE(unit.requests().empty());

    const std::string chosen = writeFirmware("chosen.hex");
    dialogs.firmwareAnswers.push_back(chosen);
    control<QPushButton>("executeButton").click();
    EXPECT_EQ(stepLine("Reload"), "Plik załadowany");
    ASSERT_TRUE(runSucceeds());
    EXPECT_EQ(stepLine("Reload"), "Plik załadowany") << "for the whole run";
    EXPECT_EQ(comboItems(), (QStringList{"chosen.hex", "vanished.hex"}));
    EXPECT_EQ(dialogs.firmwareStartDirectories, (std::vector<std::string>{dir.directory(), dir.directory()}));
}

TEST_F(Window, ComButtonReopensItsPortEvenWhenAlreadyChosen)
{
    const std::string link = dir.pathOf("unit-link");
    fs::create_symlink(server.devicePath(), link);
    dir.write("config.cfg", portDeviceLines(link));
    start();

    QTest::mouseClick(&control<QRadioButton>("comButton2"), Qt::LeftButton);
    ASSERT_TRUE(lampTurns("portLamp", LampState::Red));
    const QString missing = QString::fromStdString(dir.pathOf("missing-tty"));
    EXPECT_EQ(control<QLabel>("portLamp").toolTip(),
              "COM2: " + missing + " (nie otwarty: No such device: " + missing + ")");
    QTest::mouseClick(&control<QRadioButton>("comButton1"), Qt::LeftButton);
    ASSERT_TRUE(lampTurns("portLamp", LampState::Green));

    fs::remove(link);
    QTest::mouseClick(&control<QRadioButton>("comButton1"), Qt::LeftButton);
    EXPECT_TRUE(lampTurns("portLamp", LampState::Red)) << "the chosen port was opened again, and is gone";

    // The worker takes this request while the window closes: its lamp call
    // must not wait for a window that waits for it.
    QTest::mouseClick(&control<QRadioButton>("comButton2"), Qt::LeftButton);
    control<QPushButton>("closeButton").click();
    EXPECT_FALSE(window->isVisible());
}

namespace {

// Counts the times a file is opened, by anyone, from its creation on.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& path)
        // Closes are watched too: the kernel folds an event into the one
        // before it when they are alike and unread.
        : inotify_(::inotify_init1(IN_NONBLOCK)),
          watch_(::inotify_add_watch(inotify_, path.c_str(), IN_OPEN | IN_CLOSE))
    {
    }
    ~OpenCounter() { ::close(inotify_); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    // The opens since the last call.
    int take()
    {
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(inotify_, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + got;
                 at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len) {
                const auto* event = reinterpret_cast<inotify_event*>(at);
                opens += event->wd == watch_ && (event->mask & IN_OPEN) != 0 ? 1 : 0;
            }
        return opens;
    }

private:
    int inotify_;
    int watch_;
};

} // namespace

// Each way of choosing a file reads it as often as the reload button does:
// once, not a second time for the refilled list.
TEST_F(Window, ChoosingAFileLoadsItOnce)
{
    writeConfig("");
    const std::string a = writeFirmware("a.hex");
    const std::string b = writeFirmware("b.hex");
    writeRecent({a, b});
    start();
    OpenCounter opensOfA(a);
    control<QPushButton>("reloadButton").click();
    const int opensPerLoad = opensOfA.take();
    ASSERT_GT(opensPerLoad, 0);

    dialogs.firmwareAnswers.push_back(a);
    window->findChild<QAction*>("openAction")->trigger();
    EXPECT_EQ(opensOfA.take(), opensPerLoad) << "the open-file dialog";

    auto& combo = control<ui::RecentFilesCombo>("recentCombo");
    dialogs.firmwareAnswers.push_back(b);
    window->findChild<QAction*>("openAction")->trigger();
    opensOfA.take();
    combo.showPopup();
    combo.setCurrentIndex(1);
    combo.hidePopup();
    ASSERT_TRUE(waitFor([&] { return text("pathText").toStdString() == a; }));
    EXPECT_EQ(opensOfA.take(), opensPerLoad) << "the recent list";
}

TEST_F(Window, RecentListSwitchesToTheChosenFile)
{
    writeConfig("");
    const std::string a = writeFirmware("a.hex");
    const std::string b = dir.write("b.bin", std::string(300, 'b'));
    const std::string c = dir.write("c.bin", std::string(131072, 'c'));
    writeRecent({a, b, c});
    start();

    auto& combo = control<ui::RecentFilesCombo>("recentCombo");
    combo.showPopup();
    combo.setCurrentIndex(2);
    combo.hidePopup();
    ASSERT_TRUE(waitFor([&] { return text("pathText").toStdString() == c; }));
    EXPECT_EQ(comboItems(), (QStringList{"c.bin", "a.hex", "b.bin"}));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(text("fileSizeText"), "File: 131072 (0x20000), Data: 131072 (0x20000) bajtów");

    combo.showPopup();
    combo.setCurrentIndex(-1);
    combo.hidePopup();
    QTest::qWait(50);
    EXPECT_EQ(text("pathText").toStdString(), c) << "a close-up without a choice is ignored";
    EXPECT_TRUE(dialogs.firmwareStartDirectories.empty());

    // A damaged HEX file loads as it always has, and the size text says what was left out.
    dialogs.firmwareAnswers.push_back(dir.write("damaged.hex", std::string(kSmallHex).insert(44, "junk\n:1000\n")));
    window->findChild<QAction*>("openAction")->trigger();
    EXPECT_EQ(text("fileSizeText"), "File:    131 (0x00083), Data:    772 (0x00304) bajtów");
    EXPECT_EQ(control<QLabel>("fileSizeText").toolTip(),
              "Pominięte wiersze: 2 (pierwszy: wiersz 2, nie rekord (brak ':' na początku))");
    combo.showPopup();
    combo.setCurrentIndex(1);
    combo.hidePopup();
    ASSERT_TRUE(waitFor([&] { return text("pathText").toStdString() == c; }));
    EXPECT_EQ(control<QLabel>("fileSizeText").toolTip(), "") << "a whole file has nothing to tell";
}

TEST_F(Window, RecentListIsPickOnlyAndNamesEachFileInFull)
{
    writeConfig(settingsText({"PROGRAM=1"}));
    const std::string a = writeFirmware("a.hex");
    fs::create_directory(dir.pathOf(std::string(120, 'x')));
    const std::string b = dir.write(std::string(120, 'x') + "/b.bin", std::string(300, 'b'));
    writeRecent({a, b});
    start();

    auto& combo = control<ui::RecentFilesCombo>("recentCombo");
    EXPECT_EQ(combo.lineEdit(), nullptr) << "nothing can be typed in";
    EXPECT_EQ(combo.itemData(0, Qt::ToolTipRole).toString().toStdString(), a);
    EXPECT_EQ(combo.itemData(1, Qt::ToolTipRole).toString().toStdString(), b);
    EXPECT_EQ(combo.toolTip().toStdString(), a);
    EXPECT_EQ(control<QLabel>("pathText").toolTip(), "") << "a path shown whole";

    // A key chooses an item without the list: the file it names is loaded.
    combo.setFocus();
    QTest::keyClicks(&combo, "b");
    ASSERT_TRUE(waitFor([&] { return text("pathText").toStdString() == b; }));
    EXPECT_EQ(combo.currentText(), "b.bin");
    EXPECT_EQ(comboItems(), (QStringList{"b.bin", "a.hex"}));
    EXPECT_EQ(text("fileSizeText"), "File:    300 (0x0012C), Data:    300 (0x0012C) bajtów");
    EXPECT_EQ(control<QLabel>("pathText").toolTip().toStdString(), b) << "the label cuts so long a path";
    EXPECT_EQ(combo.toolTip().toStdString(), b);

    control<QPushButton>("executeButton").click();
    ASSERT_TRUE(runSucceeds()) << text("mainStatusText").toStdString();
    const std::vector<std::uint8_t> flash = unit.flash();
    EXPECT_EQ(std::string(flash.begin(), flash.begin() + 300), std::string(300, 'b'))
        << "the unit got what the box shows";
    EXPECT_EQ(flash[300], 0xFF);
}

TEST_F(Window, ClosingWritesBothSettingsFilesInTheirOwnForm)
{
    const std::string firmware = writeFirmware();
    dir.write("config.cfg", settingsText({"OPERATOR=jan", "read=1", "COM=1"}) + portDeviceLines(server.devicePath()));
    writeRecent({firmware});
    start();

    QTest::mouseClick(&toggle("Program"), Qt::LeftButton);
    QTest::mouseClick(&control<QRadioButton>("comButton3"), Qt::LeftButton);
    control<QPushButton>("closeButton").click();
    EXPECT_FALSE(window->isVisible());

    EXPECT_EQ(test::ScratchDir::readFile(dir.pathOf("config.cfg")),
              settingsText({"OPERATOR=jan", "READ=1", "COM=3"}) + portDeviceLines(server.devicePath())
                  + settingsText({"PROGRAM=1", "RELOAD=0", "ERASE=0", "TEST FF=0", "VERIFY=0", "DETECT=0"}));
    EXPECT_EQ(test::ScratchDir::readFile(dir.pathOf("Latest.cfg")),
              settingsText({"File 0=" + firmware, "File 1=", "File 2=", "File 3=", "File 4=", "File 5=", "File 6=",
                            "File 7=", "File 8=", "File 9="}));
}

TEST_F(Window, MenuOpensTheAboutBoxAndHelpDoesNothing)
{
    writeConfig("");
    writeRecent({writeFirmware()});
    start();

    window->findChild<QAction*>("helpAction")->trigger();
    EXPECT_EQ(dialogs.aboutBoxes, 0);
    window->findChild<QAction*>("aboutAction")->trigger();
    EXPECT_EQ(dialogs.aboutBoxes, 1);
    EXPECT_TRUE(window->isVisible());
}

// A window that LANGUAGE in config.cfg sets to English, as the program
// starts it; Polish again afterwards, for the tests that follow in this process.
class WindowInEnglish : public Window {
protected:
    void TearDown() override
    {
        Window::TearDown();
        lang::useLanguage(lang::Language::Polish);
    }
};

TEST_F(WindowInEnglish, ShowsItsControlsAndARunInEnglish)
{
    writeConfig(settingsText({"LANGUAGE=en", "ERASE=1", "PROGRAM=1", "VERIFY=1"}));
    writeRecent({writeFirmware()});
    lang::useLanguage(lang::configuredLanguage());
    start();
    EXPECT_EQ(window->windowTitle(), "Orvex Programmer v1.1a for SDA5555FL ");
    EXPECT_EQ(window->findChild<QMenu*>("fileMenu")->title(), "File");
    EXPECT_EQ(control<QPushButton>("executeButton").text(), "Run program");
    EXPECT_EQ(toggle("Erase").text(), "Erase memory");
    EXPECT_EQ(text("fileSizeText"), "File:    120 (0x00078), Data:    772 (0x00304) bytes");
    EXPECT_EQ(stepLine("Erase"), "Ready...");

    pressEnter();
    ASSERT_TRUE(runEnds());
    EXPECT_TRUE(waitFor([&] { return text("mainStatusText").startsWith("PROGRAM OK. Time: "); }, 5000))
        << text("mainStatusText").toStdString();
    EXPECT_EQ(stepLine("Erase"), "Erasing FLASH... OK");
    EXPECT_EQ(stepLine("Program"), "Programming ... OK");
    EXPECT_EQ(stepLine("Verify"), "Verifying ... OK");
    EXPECT_EQ(stepLine("Detect"), kUnticked);
}

// A window on a unit that takes its time, as unitOptions() says.
template <sim::UnitOptions (*unitOptions)()>
class WindowOnSlowUnit : public Window {
protected:
    WindowOnSlowUnit() : Window(unitOptions()) {}
};

// The unit takes its time over the erase, so that the run is still under way
// when the operator closes the window.
sim::UnitOptions slowErase()
{
    sim::UnitOptions options;
    options.eraseTime = std::chrono::milliseconds(400);
    return options;
}
using WindowWithSlowUnit = WindowOnSlowUnit<slowErase>;

TEST_F(WindowWithSlowUnit, ClosingDuringARunClosesWhenTheRunHasEnded)
{
    writeConfig(settingsText({"ERASE=1", "READ=1"}));
    writeRecent({writeFirmware()});
    dialogs.readBackAnswer = dir.pathOf("dump.bin");
    start();

    control<QPushButton>("executeButton").click();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    control<QPushButton>("closeButton").click();
    window->close();
    EXPECT_TRUE(window->isVisible()) << "the run goes on in the open window";
    EXPECT_EQ(window->windowTitle(),
              "Programator Orvex v1.1a dla ukladu SDA5555FL — okno zamknie się po zakończeniu procedury");
    EXPECT_FALSE(window->findChild<QAction*>("reloadAction")->isEnabled()) << "no load can replace the image";

    ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }, kRunTimeoutMs));
    EXPECT_FALSE(unit.powered()) << "the run ended with its power-off";
    EXPECT_EQ(test::ScratchDir::readBytes(dir.pathOf("dump.bin")), unit.flash()) << "the save dialog was still served";
    EXPECT_NE(test::ScratchDir::readFile(dir.pathOf("config.cfg")).find("ERASE=1\n\r"), std::string::npos);
}

TEST_F(WindowWithSlowUnit, ClosingDuringARunThatFailsStaysOpenOnItsResult)
{
    writeConfig(settingsText({"ERASE=1", "PROGRAM=1"}));
    writeRecent({writeFirmware()});
    unit.addFault({0x04, 1, sim::FaultAction::Refuse, 0x02});
    start();

    control<QPushButton>("executeButton").click();
    control<QPushButton>("closeButton").click();
    EXPECT_TRUE(window->windowTitle().endsWith("— okno zamknie się po zakończeniu procedury"));
    ASSERT_TRUE(runEnds());
    EXPECT_TRUE(mainStatusBecomes("Blad podczas programowania ukladu"));
    QTest::qWait(100);
    EXPECT_TRUE(window->isVisible()) << "the operator reads why";
    EXPECT_EQ(window->windowTitle(), "Programator Orvex v1.1a dla ukladu SDA5555FL ");

    // The close asked for during the run is over; a new one closes at once.
    control<QPushButton>("closeButton").click();
    EXPECT_FALSE(window->isVisible());
}

// The unit takes 30 ms over each of the 13 blocks of the image, so that a
// program transfer lasts many of the window's display pauses.
sim::UnitOptions slowBlocks()
{
    sim::UnitOptions options;
    options.blockTime = std::chrono::milliseconds(30);
    return options;
}
using WindowWithSlowBlocks = WindowOnSlowUnit<slowBlocks>;

TEST_F(WindowWithSlowBlocks, StepLineAndBarFollowTheTransferRunAfterRun)
{
    writeConfig(settingsText({"PROGRAM=1"}));
    writeRecent({writeFirmware()});
    start();
    const auto& bar = control<QProgressBar>("progressBar");

    for (int run = 1; run <= 2; ++run) {
        // What the operator saw between the start and the end of the transfer.
        std::set<QString> progressLines;
        std::set<int> positions;
        control<QPushButton>("executeButton").click();
        ASSERT_TRUE(waitFor(
            [&] {
                if (stepLine("Program").startsWith("Programowanie : "))
                    progressLines.insert(stepLine("Program"));
                if (bar.value() > bar.minimum() && bar.value() < bar.maximum())
                    positions.insert(bar.value());
                return control("executeButton").isEnabled();
            },
            kRunTimeoutMs));
        EXPECT_GE(progressLines.size(), 3u) << "run " << run;
        EXPECT_GE(positions.size(), 3u) << "run " << run;
        EXPECT_TRUE(runSucceeds());
        EXPECT_EQ(stepLine("Program"), "Programowanie ... OK");
    }
}

// Posts from the worker that fall in a pause wake nobody; the pause's end must
// still show them, or the window keeps an old count until the next post.
TEST(DisplayThrottle, ShowsTheLastOfEveryBurstOfPostsFromAnotherThread)
{
    std::atomic<int> latest = 0;
    int shownValue = -1;
    ui::DisplayThrottle throttle([&] { shownValue = latest; }, nullptr);
    std::mt19937 rng(5);
    for (int burst = 1; burst <= 12; ++burst) {
        const int posts = static_cast<int>(rng() % 30) + 1;
        const auto gap = std::chrono::microseconds(rng() % 2000);
        std::unique_ptr<QThread> worker(QThread::create([&, burst] {
            for (int post = 0; post < posts; ++post) {
                latest = burst * 100 + post;
                throttle.post();
                std::this_thread::sleep_for(gap);
            }
        }));
        worker->start();
        ASSERT_TRUE(waitFor([&] { return worker->isFinished() && shownValue == latest; }, 2000))
            << "burst " << burst << " of " << posts << " posts ended with " << shownValue << " shown, not " << latest;
    }
}

// A window closed from a queued call (at its run's end, or as the application
// quits) must still serve the worker's call queued behind that one; waiting
// for it through the event loop hung, spinning, for good.
TEST(WindowThreadGate, CloseFromAQueuedCallServesTheCallQueuedBehindIt)
{
    ui::WindowThreadGate gate;
    std::atomic<bool> served = false;
    std::atomic<bool> closed = false;
    QMetaObject::invokeMethod(
        &gate,
        [&] {
            gate.close();
            closed = true;
        },
        Qt::QueuedConnection);
    std::unique_ptr<QThread> worker(QThread::create([&] { gate.run([&] { served = true; }); }));
    worker->start();
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the worker's call is queued by now
    alarm(20); // a close that never returns ends the test instead of the suite's time
    ASSERT_TRUE(waitFor([&] { return closed && worker->isFinished(); }, 5000));
    alarm(0);
    EXPECT_TRUE(served);
}
