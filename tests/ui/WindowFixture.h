#pragma once

#include "settings/ProgramDirectory.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "support/ScratchDir.h"
#include "ui/ControlBuilder.h"
#include "ui/Icons.h"
#include "ui/MainDialog.h"
#include "ui/RecentFilesCombo.h"
#include "ui/StepToggle.h"
#include "ui/ScriptedDialogs.h"
#include "ui/WaitFor.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvex::test {

// Two records from address 0 and one at 0x0300: 120 bytes of text, data up
// to 0x0303, the gap between reading 0xFF.
inline constexpr char kSmallHex[] = ":10000000101112131415161718191A1B1C1D1E1F78\n"
                                    ":10001000202122232425262728292A2B2C2D2E2F68\n"
                                    ":04030000CAFEBABEB9\n"
                                    ":00000001FF\n";
inline constexpr char kSmallHexSizes[] = "File:    120 (0x00078), Data:    772 (0x00304) bajtów";

inline constexpr char kUnticked[] = "----------";
inline constexpr char kReady[] = "Gotowy...";

inline constexpr std::array kStepNames{"Reload", "Detect", "Erase", "TestFF", "Program", "Verify", "Read"};

inline std::string settingsText(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n\r";
    return text;
}

// A window whose program directory is a scratch folder and whose COM1 is the
// simulated unit; COM2 to COM4 name devices that do not exist. A fixture that
// wants another unit or line passes them to the constructor: a virtual call
// from here would reach only this class's own version.
class Window : public ::testing::Test {
protected:
    explicit Window(sim::UnitOptions unitOptions = {}, sim::PtyUnitServerOptions line = {})
        : unit(std::move(unitOptions)), server(unit, line)
    {
    }

    sim::SimulatedUnit unit;
    sim::PtyUnitServer server;
    ScratchDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<ui::MainDialog> window;

    void SetUp() override { setProgramDirectoryForTesting(dir.directory()); }
    void TearDown() override { window.reset(); }

    std::string portDeviceLines(const std::string& com1Device) const
    {
        std::string lines = "COM1 DEVICE=" + com1Device + "\n\r";
        for (int n = 2; n <= 4; ++n)
            lines += "COM" + std::to_string(n) + " DEVICE=" + dir.pathOf("missing-tty") + "\n\r";
        return lines;
    }

    void writeConfig(const std::string& settings) const
    {
        dir.write("config.cfg", settings + portDeviceLines(server.devicePath()));
    }

    void writeRecent(std::initializer_list<std::string> paths) const
    {
        std::string text;
        int index = 0;
        for (const std::string& path : paths)
            text += "File " + std::to_string(index++) + "=" + path + "\n\r";
        dir.write("Latest.cfg", text);
    }

    std::string writeFirmware(const char* name = "firmware.hex") const { return dir.write(name, kSmallHex); }

    void start()
    {
        window = std::make_unique<ui::MainDialog>(dialogs);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(lampTurns("portLamp", LampState::Green)) << "the worker opens COM1";
    }

    template <typename Control = QWidget>
    Control& control(const char* name) const
    {
        return ui::controlNamed<Control>(*window->findChild<QWidget*>("clientArea"), name);
    }

    QString text(const char* name) const { return control<QLabel>(name).text(); }
    QString stepLine(const char* step) const { return text(("stepLine" + std::string(step)).c_str()); }
    ui::StepToggle& toggle(const char* step) const
    {
        return control<ui::StepToggle>(("stepToggle" + std::string(step)).c_str());
    }

    bool lampShows(const char* name, LampState state) const
    {
        const QLabel& lamp = control<QLabel>(name);
        return lamp.pixmap().toImage() == ui::lampPixmap(state, std::min(lamp.width(), lamp.height())).toImage();
    }

    bool lampTurns(const char* name, LampState state) const
    {
        return waitFor([&] { return lampShows(name, state); }, 5000);
    }

    // Presses Enter where the focus is, as the operator would.
    void pressEnter() const { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }

    // Generous: a run that never ends fails all the same, and one reading
    // the whole flash takes a while under the sanitizers on a busy machine.
    static constexpr int kRunTimeoutMs = 60000;

    bool runEnds() const
    {
        return waitFor([&] { return control("executeButton").isEnabled(); }, kRunTimeoutMs);
    }

    bool mainStatusBecomes(const QString& expected) const
    {
        return waitFor([&] { return text("mainStatusText") == expected; }, 20000);
    }

    bool runSucceeds() const
    {
        return runEnds() && waitFor([&] { return text("mainStatusText").startsWith("PROGRAM OK. Czas: "); }, 5000)
               && lampShows("runLamp", LampState::Green);
    }

    // What a run locks until its end: the execute button and the step toggles.
    bool runControlsEnabled() const
    {
        return control("executeButton").isEnabled()
               && std::all_of(kStepNames.begin(), kStepNames.end(),
                              [&](const char* step) { return toggle(step).isEnabled(); });
    }

    // The commands the unit received, in order, in hex; repeats are counted,
    // so a program transfer of three blocks reads "04 05x3 06".
    std::string receivedCommands() const
    {
        const std::vector<sim::ReceivedRequest> requests = unit.requests();
        std::string commands;
        for (auto run = requests.begin(); run != requests.end();) {
            const auto runEnd = std::find_if(run, requests.end(),
                                             [&](const sim::ReceivedRequest& r) { return r.command != run->command; });
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", run->command);
            commands += (commands.empty() ? "" : " ") + std::string(hex);
            if (runEnd - run > 1)
                commands += "x" + std::to_string(runEnd - run);
            run = runEnd;
        }
        return commands;
    }

    QStringList comboItems() const
    {
        auto& combo = control<QComboBox>("recentCombo");
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        return items;
    }
};

} // namespace orvex::test
