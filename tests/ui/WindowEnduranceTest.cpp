// Many procedures in a row through the window, as on a production line, with
// the port reopened before each: whatever a run or a reopen fails to give
// back (a descriptor, a thread, memory) adds up and shows here. Every step
// runs each time except the read of the whole flash and its save, which
// take most of a run's time and come every tenth run.

#include "ui/WindowFixture.h"

#include <QElapsedTimer>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

using namespace orvex;
using namespace orvex::test;
namespace fs = std::filesystem;

namespace {

// Runs when ORVEX_ENDURANCE_RUNS does not say otherwise; bench/endurance.sh
// asks for more.
constexpr int kDefaultRuns = 100;
constexpr int kSettledAfterRuns = 10;
constexpr int kReadEveryRuns = 10;
// Allocators keep some freed memory; a leak of the read-back alone would be
// 128 KiB a run.
constexpr long kResidentSlackKiB = 1024;
// The sanitizers hold freed memory back on purpose, so resident memory tells
// nothing about leaks under them (and their own leak check does).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif

struct ProcessFigures {
    long descriptors = 0;
    long threads = 0;
    long residentKiB = 0;
};

long entriesIn(const char* folder)
{
    return static_cast<long>(std::distance(fs::directory_iterator(folder), {}));
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string field; status >> field;) {
        if (field == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

ProcessFigures measure()
{
    return {entriesIn("/proc/self/fd"), entriesIn("/proc/self/task"), residentKiB()};
}

int enduranceRuns()
{
    const char* runs = std::getenv("ORVEX_ENDURANCE_RUNS");
    return runs != nullptr && std::atoi(runs) > kSettledAfterRuns ? std::atoi(runs) : kDefaultRuns;
}

std::ostream& operator<<(std::ostream& out, const ProcessFigures& figures)
{
    return out << "descriptors " << figures.descriptors << ", threads " << figures.threads << ", VmRSS "
               << figures.residentKiB << " kB";
}

} // namespace

TEST_F(Window, RunAfterRunLeavesDescriptorsThreadsAndMemoryWhereTheyWere)
{
    writeConfig(settingsText({"PROGRAM=1", "RELOAD=1", "ERASE=1", "TEST FF=1", "VERIFY=1", "DETECT=1"}));
    writeRecent({writeFirmware()});
    dialogs.readBackAnswer = dir.pathOf("dump.bin");
    start();

    const int runs = enduranceRuns();
    ProcessFigures settled;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int run = 1; run <= runs; ++run) {
        unit.clearRequests(); // the simulated unit's log lives in this process too
        QTest::mouseClick(&control<QRadioButton>("comButton1"), Qt::LeftButton);
        toggle("Read").setCheckState(run % kReadEveryRuns == 0 ? Qt::Checked : Qt::Unchecked);
        control<QPushButton>("executeButton").click();
        ASSERT_TRUE(runSucceeds()) << "run " << run << ": " << text("mainStatusText").toStdString();
        if (run == kSettledAfterRuns)
            settled = measure();
    }
    const ProcessFigures end = measure();
    std::cout << "after run " << kSettledAfterRuns << ": " << settled << "\n"
              << "after run " << runs << ": " << end << "\n"
              << runs << " runs in " << elapsed.elapsed() << " ms\n";

    EXPECT_EQ(end.descriptors, settled.descriptors);
    EXPECT_EQ(end.threads, settled.threads);
    if (kResidentMemoryTells) {
        EXPECT_LE(end.residentKiB - settled.residentKiB, kResidentSlackKiB);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ScratchDir::readBytes(dir.pathOf("dump.bin")), unit.flash());
}
