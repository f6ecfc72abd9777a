// Times FirmwareImage::load on a 4 MiB Intel HEX image against srec_cat laying
// out the same file, and checks that both give the same bytes. It also times
// the whole load in orvex-cli: a run that loads the file and then fails to
// open a port that does not exist, less the same run with a one-record file,
// which leaves the loading of the file itself.
//
// The load that counts is the first one in a fresh process, as when the
// program starts: memory that an earlier load has touched is cheaper, so the
// benchmark starts itself again for each such load. Processor time is shown
// beside the wall time because on a busy machine the wall time also counts
// the time spent waiting for a processor.

#include "image/FirmwareImage.h"
#include "HexTextWriter.h"
#include "support/ScratchDir.h"
#include "SrecCat.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

namespace {

using orvex::test::Bytes;

constexpr std::size_t kImageSize = 4 * 1024 * 1024;
constexpr std::size_t kRecordSize = 16;
constexpr std::uint32_t kImageSeed = 20240607;
constexpr int kFreshLoadRuns = 7;
constexpr int kWarmLoadRuns = 7;
constexpr int kSrecCatRuns = 3;
// A first load should take at most this share of srec_cat's time.
constexpr double kTargetRatio = 0.1;
constexpr const char* kLoadOnceOption = "--load-once";
// orvex-cli's exit statuses for a refused firmware file and for a port that
// does not open.
constexpr int kCliFirmwareRefused = 2;
constexpr int kCliPortNotOpened = 4;

struct Timing {
    double wallSeconds = std::numeric_limits<double>::infinity();
    double cpuSeconds = std::numeric_limits<double>::infinity();

    void keepBest(const Timing& other)
    {
        wallSeconds = std::min(wallSeconds, other.wallSeconds);
        cpuSeconds = std::min(cpuSeconds, other.cpuSeconds);
    }
};

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Processor time of this process, or of its finished children (srec_cat
// through the shell).
double cpuSecondsUsed(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Timing timed(int who, const std::function<void()>& run)
{
    const double cpuStart = cpuSecondsUsed(who);
    const auto start = std::chrono::steady_clock::now();
    run();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuSecondsUsed(who) - cpuStart};
}

Timing bestOf(int runs, int who, const std::function<void()>& run)
{
    Timing best;
    for (int i = 0; i < runs; ++i)
        best.keepBest(timed(who, run));
    return best;
}

// The child's part: one load, its timing on standard output.
int loadOnce(const char* path)
{
    orvex::FirmwareImage image;
    const Timing timing = timed(RUSAGE_SELF, [&] { image.load(path); });
    std::printf("%.9f %.9f %d\n", timing.wallSeconds, timing.cpuSeconds, image.dataSize());
    return 0;
}

// Best of several first loads, each in a new process; wall time infinite
// when a child fails.
Timing bestFreshLoad(const std::string& hexPath)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' " + kLoadOnceOption + " '" + hexPath + "'";
    Timing best;
    for (int i = 0; i < kFreshLoadRuns; ++i) {
        FILE* child = popen(command.c_str(), "r");
        Timing timing;
        int dataSize = 0;
        const bool read = child != nullptr
                          && std::fscanf(child, "%lf %lf %d", &timing.wallSeconds, &timing.cpuSeconds, &dataSize) == 3;
        if (child != nullptr)
            pclose(child);
        if (!read || dataSize != static_cast<int>(kImageSize))
            return {};
        best.keepBest(timing);
    }
    return best;
}

// Best of several orvex-cli runs that program hexPath to a port that does
// not exist; wall time infinite when a run ends with another status than
// expected: the port's failure, or for an image larger than the flash its
// refusal, which comes after the whole file was loaded too.
Timing bestCliRun(const std::string& hexPath, int expectedStatus)
{
    const std::string command =
        "'" ORVEX_CLI_PATH "' -p /nonexistent/orvex-bench-port -w '" + hexPath + "' >/dev/null 2>&1";
    Timing best;
    for (int i = 0; i < kFreshLoadRuns; ++i) {
        int status = 0;
        const Timing timing = timed(RUSAGE_CHILDREN, [&] { status = std::system(command.c_str()); });
        if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus)
            return {};
        best.keepBest(timing);
    }
    return best;
}

Timing difference(const Timing& total, const Timing& part)
{
    return {total.wallSeconds - part.wallSeconds, total.cpuSeconds - part.cpuSeconds};
}

void printRatio(const char* what, const Timing& timing, const Timing& reference)
{
    const double wallRatio = timing.wallSeconds / reference.wallSeconds;
    const double cpuRatio = timing.cpuSeconds / reference.cpuSeconds;
    std::printf("%s / srec_cat: wall %.3f, processor %.3f (target at most %.2f): %s\n", what, wallRatio, cpuRatio,
                kTargetRatio, std::max(wallRatio, cpuRatio) <= kTargetRatio ? "met" : "NOT met");
}

void printTiming(const char* what, const Timing& timing, const char* how)
{
    std::printf("%-28s %8.1f ms wall %8.1f ms processor (%s)\n", what, timing.wallSeconds * 1e3,
                timing.cpuSeconds * 1e3, how);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], kLoadOnceOption) == 0)
        return loadOnce(argv[2]);
    if (!orvex::test::srecCatAvailable()) {
        std::printf("%s is not installed (Debian package srecord)\n", orvex::test::kSrecCatPath);
        return 1;
    }
    const orvex::test::ScratchDir scratch;
    const std::string text = orvex::test::randomImageHexText(kImageSize, kImageSeed);
    const std::string hexPath = scratch.write("bench.hex", text);
    const std::string binPath = scratch.pathOf("bench.bin");
    const std::string oneRecordPath = scratch.write("one-record.hex", orvex::test::dataLine(0, Bytes(kRecordSize, 0x5A))
                                                                          + "\n" + orvex::test::endOfFileLine() + "\n");

    const Timing freshLoad = bestFreshLoad(hexPath);
    if (freshLoad.wallSeconds == std::numeric_limits<double>::infinity()) {
        std::printf("a fresh load failed or gave the wrong size\n");
        return 1;
    }
    const Timing cliRun = bestCliRun(hexPath, kCliFirmwareRefused);
    const Timing cliBaseRun = bestCliRun(oneRecordPath, kCliPortNotOpened);
    if (cliRun.wallSeconds == std::numeric_limits<double>::infinity()
        || cliBaseRun.wallSeconds == std::numeric_limits<double>::infinity()) {
        std::printf("orvex-cli did not load the files and then stop with the expected status\n");
        return 1;
    }
    orvex::FirmwareImage image;
    const Timing warmLoad = bestOf(kWarmLoadRuns, RUSAGE_SELF, [&] { image.load(hexPath); });
    bool srecCatFailed = false;
    const Timing srecCat = bestOf(kSrecCatRuns, RUSAGE_CHILDREN,
                                  [&] { srecCatFailed |= !orvex::test::runSrecCat(hexPath, kImageSize, binPath); });
    if (srecCatFailed) {
        std::printf("srec_cat failed, see %s.log\n", binPath.c_str());
        return 1;
    }
    if (!std::ranges::equal(image.dataBytes(), orvex::test::readFileBytes(binPath))) {
        std::printf("the loader and srec_cat disagree on the image\n");
        return 1;
    }

    std::printf("HEX text %zu bytes, image %zu bytes, byte-identical\n", text.size(), kImageSize);
    printTiming("FirmwareImage::load, first", freshLoad, "best of 7 fresh processes");
    printTiming("FirmwareImage::load, again", warmLoad, "best of 7 in one process");
    printTiming("orvex-cli run, this file", cliRun, "best of 7");
    printTiming("orvex-cli run, one record", cliBaseRun, "best of 7");
    const Timing cliLoad = difference(cliRun, cliBaseRun);
    printTiming("orvex-cli loading the file", cliLoad, "the difference");
    printTiming("srec_cat", srecCat, "best of 3");
    printRatio("first load", freshLoad, srecCat);
    printRatio("orvex-cli load", cliLoad, srecCat);
    return 0;
}
