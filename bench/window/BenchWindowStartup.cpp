// Starts the window with a 4 MiB Intel HEX file (an 11.5 MB text) as the
// current file, as an operator's station does after a large image, and prints
// how long it took from the start of the process until the window, file
// loaded, turns its event loop and so answers the operator. Run it with
// QT_QPA_PLATFORM=offscreen where there is no display.

#include "image/HexTextWriter.h"
#include "settings/ProgramDirectory.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnit.h"
#include "support/ScratchDir.h"
#include "ui/ControlBuilder.h"
#include "ui/MainDialog.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <cstdio>

using namespace orvex;

namespace {

constexpr std::size_t kImageSize = 4 * 1024 * 1024;
constexpr std::uint32_t kImageSeed = 5;

} // namespace

int main(int argc, char** argv)
{
    // The file is written before the clock starts: it stands for a file
    // already on the operator's disk.
    const test::ScratchDir dir;
    const std::string hexText = test::randomImageHexText(kImageSize, kImageSeed);
    const std::string hexPath = dir.write("large.hex", hexText);

    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    sim::SimulatedUnit unit;
    sim::PtyUnitServer server(unit);
    setProgramDirectoryForTesting(dir.directory());
    dir.write("config.cfg", "COM1 DEVICE=" + server.devicePath() + "\n\r");
    dir.write("Latest.cfg", "File 0=" + hexPath + "\n\r");
    test::ScriptedDialogs dialogs;
    ui::MainDialog window(dialogs);
    window.show();

    qint64 usableAfterMs = -1;
    QTimer::singleShot(0, [&] {
        usableAfterMs = sinceStart.elapsed();
        app.quit();
    });
    app.exec();

    const QWidget& client = *window.findChild<QWidget*>("clientArea");
    const QString sizeText = ui::controlNamed<QLabel>(client, "fileSizeText").text();
    const bool loaded = sizeText.contains(QString::number(kImageSize));
    std::printf("window start-up %lld ms with a %zu-byte HEX file (%zu bytes of data) as the current one, size "
                "shown \"%s\", %s\n",
                static_cast<long long>(usableAfterMs), hexText.size(), kImageSize, sizeText.toUtf8().constData(),
                loaded ? "loaded" : "NOT LOADED");
    return loaded ? 0 : 1;
}
