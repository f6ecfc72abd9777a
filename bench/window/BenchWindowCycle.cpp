// Programs, verifies and reads back a firmware image through the window, as
// the operator's Enter would, and prints how long the run took, the processor
// time it cost and the longest the window's thread was kept busy.
// Usage: bench_window_cycle UNIT IMAGE READBACK, as for the bare client:
// UNIT is the device of an orvex-sim, a process of its own, so that the
// window meets the same unit as orvex-cli and the bare client and the figures
// are the window's alone; bench/run-all.sh starts the simulator, reads the
// wire time from the simulator's report and compares READBACK with IMAGE. Run
// it with QT_QPA_PLATFORM=offscreen where there is no display.

#include "MeasuredRunApplication.h"
#include "settings/ProgramDirectory.h"
#include "support/ScratchDir.h"
#include "ui/ControlBuilder.h"
#include "ui/MainDialog.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <string>

using namespace orvex;

namespace {

constexpr qint64 kRunTimeoutMs = 300'000;

// Program, verify and read ticked, COM1 the simulated unit, the image the
// newest recent file.
void writeSettings(const test::ScratchDir& dir, const std::string& unitDevice, const std::string& imagePath)
{
    dir.write("config.cfg", "RELOAD=0\n\rDETECT=0\n\rERASE=0\n\rTEST FF=0\n\rPROGRAM=1\n\rVERIFY=1\n\rREAD=1\n\r"
                            "COM1 DEVICE="
                                + unitDevice + "\n\r");
    dir.write("Latest.cfg", "File 0=" + imagePath + "\n\r");
}

} // namespace

int main(int argc, char** argv)
{
    bench::MeasuredRunApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_window_cycle UNIT IMAGE READBACK\n");
        return 2;
    }
    const test::ScratchDir dir;
    setProgramDirectoryForTesting(dir.directory());
    writeSettings(dir, argv[1], argv[2]);
    test::ScriptedDialogs dialogs;
    dialogs.readBackAnswer = argv[3];

    ui::MainDialog window(dialogs);
    window.show();
    const QWidget& client = *window.findChild<QWidget*>("clientArea");
    auto& execute = ui::controlNamed<QPushButton>(client, "executeButton");
    const auto& status = ui::controlNamed<QLabel>(client, "mainStatusText");

    // Refreshes the worker posted and the window served: with at most one
    // waiting at a time, a read of 2048 blocks cannot pile them up.
    std::atomic<int> refreshesPosted = 0;
    std::atomic<int> refreshesServed = 0;
    std::atomic<int> mostWaiting = 0;
    int updatesShown = 0;
    auto& display = *window.findChild<ui::DisplayThrottle*>();
    QObject::connect(
        &display, &ui::DisplayThrottle::posted, &window,
        [&] {
            const int waiting = ++refreshesPosted - refreshesServed;
            mostWaiting = std::max(mostWaiting.load(), waiting);
        },
        Qt::DirectConnection);
    QObject::connect(&display, &ui::DisplayThrottle::posted, &window, [&] { ++refreshesServed; });
    QObject::connect(&display, &ui::DisplayThrottle::shown, &window, [&] { ++updatesShown; });

    // The run ends as the window gives the operator the file menu back, seen
    // as it happens rather than by a timer of the benchmark's own.
    QObject::connect(window.findChild<QAction*>("openAction"), &QAction::enabledChanged, [&](bool enabled) {
        if (enabled)
            app.endRun();
    });
    QTimer::singleShot(500, [&] {
        app.startRun();
        execute.click();
    });
    QTimer::singleShot(kRunTimeoutMs, [&] { app.endRun(); });
    app.exec();

    // The final texts come with the refresh the run posts as it ends.
    QCoreApplication::processEvents();
    const bool succeeded = status.text().startsWith("PROGRAM OK. Czas: ");
    if (!succeeded)
        std::printf("the run ended with \"%s\"\n", status.text().toUtf8().constData());
    const double seconds = app.runSeconds();
    std::printf("window cycle %.3f s, longest busy stretch %lld ms, updates %d shown, most-waiting %d, processor "
                "%.2f %% of a core, %s\n",
                seconds, static_cast<long long>(app.longestBusyStretchMs()), updatesShown, mostWaiting.load(),
                app.processorSeconds() / seconds * 100, succeeded ? "passed" : "FAILED");
    return succeeded ? 0 : 1;
}
