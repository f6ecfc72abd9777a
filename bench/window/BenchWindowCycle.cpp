// Programs, verifies and reads back a whole 131072-byte image through the
// window, as the operator's Enter would, against the simulated unit at
// 115200 bps, and prints how long the run took against the wire time of the
// bytes it moved, and the longest the window's thread was kept busy. Run it
// with QT_QPA_PLATFORM=offscreen where there is no display.

#include "MeasuredRunApplication.h"
#include "settings/ProgramDirectory.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "support/ScratchDir.h"
#include "ui/ControlBuilder.h"
#include "ui/MainDialog.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>

using namespace orvex;

namespace {

constexpr int kRate = 115200;
constexpr int kBitsPerByte = 10;
constexpr int kImageSize = 131072;
constexpr qint64 kRunTimeoutMs = 300'000;

// Processor seconds of this process's threads, the simulated unit's left out:
// the window's own cost.
double windowProcessorSeconds()
{
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    const auto cpuOf = [tick](const std::filesystem::path& statFile) {
        std::ifstream stat(statFile);
        std::string line;
        std::getline(stat, line);
        // Fields after the name in parentheses: state is the 3rd, utime the
        // 14th and stime the 15th of the whole line.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int index = 3; index <= 15 && fields >> field; ++index)
            if (index >= 14)
                ticks += std::stod(field);
        return ticks / tick;
    };
    double seconds = cpuOf("/proc/self/stat");
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == sim::PtyUnitServer::kThreadName)
            seconds -= cpuOf(task.path() / "stat");
    }
    return seconds;
}

std::string randomImage()
{
    std::mt19937 rng(11);
    std::string bytes(kImageSize, '\0');
    std::ranges::generate(bytes, [&rng] { return static_cast<char>(rng()); });
    return bytes;
}

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
    bench::MeasuredRunApplication app(argc, argv, windowProcessorSeconds);
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server(unit, {kRate});
    const test::ScratchDir dir;
    setProgramDirectoryForTesting(dir.directory());
    const std::string image = randomImage();
    writeSettings(dir, server.devicePath(), dir.write("image.bin", image));
    test::ScriptedDialogs dialogs;
    dialogs.readBackAnswer = dir.pathOf("read.bin");

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
    const bool succeeded =
        status.text().startsWith("PROGRAM OK. Czas: ")
        && test::ScratchDir::readBytes(dir.pathOf("read.bin")) == std::vector<std::uint8_t>(image.begin(), image.end());
    if (!succeeded)
        std::printf("the run ended with \"%s\"\n", status.text().toUtf8().constData());
    const auto timing = server.timing();
    const double wireSeconds =
        static_cast<double>((timing.bytesReceived() + timing.bytesSent()) * kBitsPerByte) / kRate;
    const double seconds = app.runSeconds();
    std::printf("window cycle %.3f s, wire time %.3f s, ratio %.4f, longest busy stretch %lld ms, updates %d "
                "shown, most-waiting %d, processor %.2f %% of a core, %s\n",
                seconds, wireSeconds, seconds / wireSeconds, static_cast<long long>(app.longestBusyStretchMs()),
                updatesShown, mostWaiting.load(), app.processorSeconds() / seconds * 100,
                succeeded ? "read-back matches" : "FAILED");
    return succeeded ? 0 : 1;
}
