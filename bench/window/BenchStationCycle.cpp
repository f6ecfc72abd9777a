// Programs, verifies and reads back a whole 131072-byte image on every unit
// given at once through the station window, as the operator's Enter would,
// and prints how long the cycle took, the window's processor time per unit
// and the longest its thread was kept busy. Every run is recorded, as on a
// line. Usage: bench_station_cycle PORT...; bench/units.sh
// starts the simulated units (orvex-sim, each a process of its own, as with
// orvex-cli) and runs it. Run it with QT_QPA_PLATFORM=offscreen where there
// is no display.

#include "MeasuredRunApplication.h"
#include "engine/Sha256.h"
#include "link/PortNames.h"
#include "settings/ProgramDirectory.h"
#include "station/StationWindow.h"
#include "support/ScratchDir.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace orvex;

namespace {

constexpr int kImageSize = 131072;
constexpr qint64 kRunTimeoutMs = 300'000;

std::vector<std::uint8_t> randomImage()
{
    std::mt19937 rng(11);
    std::vector<std::uint8_t> bytes(kImageSize);
    std::ranges::generate(bytes, [&rng] { return static_cast<std::uint8_t>(rng()); });
    return bytes;
}

std::string writeJob(const test::ScratchDir& dir, const std::vector<std::uint8_t>& image,
                     const std::vector<std::string>& line)
{
    std::string ports;
    for (const std::string& port : line)
        ports += (ports.empty() ? "" : ",") + port;
    dir.write("image.bin", std::string(image.begin(), image.end()));
    return dir.write("line.job", "NAME=BENCH\nFIRMWARE=image.bin\nSHA256=" + sha256Hex(image)
                                     + "\nSTEPS=program,verify,read\nREADBACK=read-{port}.bin\nPORTS=" + ports + "\n");
}

bool channelsIdle(const station::StationWindow& window, const QList<QPushButton*>& startButtons)
{
    return !window.anyRunning()
           && std::ranges::all_of(startButtons, [](const QPushButton* button) { return button->isEnabled(); });
}

// Every channel passed and read back the image.
bool allPassed(const station::StationWindow& window, const test::ScratchDir& dir, const std::vector<std::string>& line,
               const std::vector<std::uint8_t>& image)
{
    bool passed = true;
    for (std::size_t index = 0; index < line.size(); ++index) {
        const auto* panel = window.findChild<QWidget*>(QStringLiteral("channel%1").arg(index + 1));
        const QString result = panel->findChild<QLabel*>("result")->text();
        const std::string readBack = dir.pathOf("read-" + portFileName(line[index]) + ".bin");
        if (!result.startsWith("PROGRAM OK. Czas: ") || test::ScratchDir::readBytes(readBack) != image) {
            std::printf("channel %zu ended with \"%s\"\n", index + 1, result.toUtf8().constData());
            passed = false;
        }
    }
    return passed;
}

} // namespace

int main(int argc, char** argv)
{
    bench::MeasuredRunApplication app(argc, argv);
    const std::vector<std::string> line(argv + 1, argv + argc);
    if (line.empty()) {
        std::fprintf(stderr, "usage: bench_station_cycle PORT...\n");
        return 2;
    }
    const auto unitCount = static_cast<double>(line.size());
    const test::ScratchDir dir;
    setProgramDirectoryForTesting(dir.directory());
    const std::vector<std::uint8_t> image = randomImage();
    const std::string job = writeJob(dir, image, line);

    station::StationWindow window;
    window.show();
    if (window.openJob(job))
        return 1;
    auto& startAll = *window.findChild<QPushButton*>("startAllButton");
    const auto startButtons = window.findChildren<QPushButton*>("startButton");

    // The cycle ends as the window gives the job's menu back with every
    // channel idle, seen as it happens rather than by a timer of the
    // benchmark's own.
    QObject::connect(window.findChild<QAction*>("openAction"), &QAction::enabledChanged, [&](bool enabled) {
        if (enabled && channelsIdle(window, startButtons))
            app.endRun();
    });
    QTimer::singleShot(500, [&] {
        app.startRun();
        startAll.click();
    });
    QTimer::singleShot(kRunTimeoutMs, [&] { app.endRun(); });
    app.exec();

    const bool succeeded = allPassed(window, dir, line, image);
    const double seconds = app.runSeconds();
    const double cpuPerUnit = app.processorSeconds() / seconds * 100 / unitCount;
    std::printf("station %zu units: cycle %.3f s, longest busy stretch %lld ms, processor %.2f %% of a core per "
                "unit, %s\n",
                line.size(), seconds, static_cast<long long>(app.longestBusyStretchMs()), cpuPerUnit,
                succeeded ? "every read-back matches" : "FAILED");
    return succeeded ? 0 : 1;
}
