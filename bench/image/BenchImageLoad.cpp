// Times FirmwareImage::load on a 4 MiB Intel HEX image against srec_cat laying
// out the same file, and checks that both give the same bytes.

#include "image/FirmwareImage.h"
#include "HexTextWriter.h"
#include "support/ScratchDir.h"
#include "SrecCat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>

namespace {

using orvex::test::Bytes;

constexpr std::size_t kImageSize = 4 * 1024 * 1024;
constexpr std::size_t kSegmentSize = 0x10000;
constexpr std::size_t kRecordSize = 16;
constexpr int kLoadRuns = 7;
constexpr int kSrecCatRuns = 3;
// The loader should take at most this share of srec_cat's time.
constexpr double kTargetRatio = 0.2;

// Random data in 16-byte records, an extended linear address record before
// every 64 KiB, as a compiler's output for a large image looks.
std::string benchmarkHexText()
{
    std::mt19937 rng(20240607);
    std::string text;
    text.reserve(kImageSize / kRecordSize * 45);
    Bytes record(kRecordSize);
    for (std::size_t segment = 0; segment < kImageSize / kSegmentSize; ++segment) {
        text += orvex::test::extendedLinearLine(static_cast<std::uint16_t>(segment)) + "\n";
        for (std::size_t offset = 0; offset < kSegmentSize; offset += kRecordSize) {
            std::ranges::generate(record, [&rng] { return static_cast<std::uint8_t>(rng()); });
            text += orvex::test::dataLine(static_cast<std::uint16_t>(offset), record) + "\n";
        }
    }
    return text + orvex::test::endOfFileLine() + "\n";
}

double bestSecondsOf(int runs, const std::function<bool()>& run)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run())
            return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main()
{
    if (!orvex::test::srecCatAvailable()) {
        std::printf("%s is not installed (Debian package srecord)\n", orvex::test::kSrecCatPath);
        return 1;
    }
    const orvex::test::ScratchDir scratch;
    const std::string text = benchmarkHexText();
    const std::string hexPath = scratch.write("bench.hex", text);
    const std::string binPath = scratch.pathOf("bench.bin");

    orvex::FirmwareImage image;
    const double loadSeconds = bestSecondsOf(kLoadRuns, [&] { return image.load(hexPath) == 1; });
    const double srecCatSeconds = bestSecondsOf(kSrecCatRuns, [&] { return orvex::test::runSrecCat(hexPath, kImageSize, binPath); });
    if (srecCatSeconds < 0) {
        std::printf("srec_cat failed, see %s.log\n", binPath.c_str());
        return 1;
    }
    if (!std::ranges::equal(image.dataBytes(), orvex::test::readFileBytes(binPath))) {
        std::printf("the loader and srec_cat disagree on the image\n");
        return 1;
    }
    const double ratio = loadSeconds / srecCatSeconds;
    std::printf("HEX text %zu bytes, image %zu bytes, byte-identical\n", text.size(), kImageSize);
    std::printf("FirmwareImage::load  %8.1f ms (best of %d)\n", loadSeconds * 1e3, kLoadRuns);
    std::printf("srec_cat             %8.1f ms (best of %d)\n", srecCatSeconds * 1e3, kSrecCatRuns);
    std::printf("ratio %.3f (target at most %.2f): %s\n", ratio, kTargetRatio, ratio <= kTargetRatio ? "met" : "NOT met");
    return 0;
}
