#include "image/ImageFileTest.h"
#include "image/SrecCat.h"

#include <algorithm>
#include <random>

namespace orvex::test {
namespace {

// Random files in the part of Intel HEX where the loader and srec_cat must
// agree: both address record kinds, gaps, LF and CR LF line ends. Left out is
// what they treat differently by design: bad checksums, records after the
// end-of-file record, a record crossing 64 KiB, and overlapping records
// (srec_cat refuses contradictory bytes).
class RandomHexFile {
public:
    static constexpr std::size_t kAddressSpan = 0x80000;

    explicit RandomHexFile(unsigned seed) : rng_(seed), covered_(kAddressSpan, false) {}

    std::string generate()
    {
        const int blocks = pick(4, 10);
        for (int block = 0; block < blocks; ++block) {
            addAddressRecord();
            addDataRecords(pick(1, 40));
        }
        addLine(endOfFileLine());
        return text_;
    }

    // One past the highest data byte.
    std::size_t end() const { return end_; }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    void addLine(const std::string& line) { text_ += line + (pick(0, 1) ? "\n" : "\r\n"); }

    void addAddressRecord()
    {
        if (pick(0, 1)) {
            const auto upper = static_cast<std::uint16_t>(pick(0, 7));
            base_ = upper * std::size_t{0x10000};
            addLine(extendedLinearLine(upper));
        } else {
            const auto segment = static_cast<std::uint16_t>(pick(0, 0x7000));
            base_ = segment * std::size_t{16};
            addLine(extendedSegmentLine(segment));
        }
    }

    void addDataRecords(int count)
    {
        int offset = pick(0, 0xFFFF);
        for (int i = 0; i < count; ++i) {
            const int length = pick(1, 32);
            if (pick(0, 2) == 0)
                offset = pick(0, 0xFFFF); // leave a gap, or go back below
            if (offset + length > 0x10000 || !claim(base_ + static_cast<std::size_t>(offset), length))
                continue;
            Bytes data(static_cast<std::size_t>(length));
            std::ranges::generate(data, [this] { return static_cast<std::uint8_t>(pick(0, 255)); });
            addLine(dataLine(static_cast<std::uint16_t>(offset), data));
            offset += length;
        }
    }

    bool claim(std::size_t start, int length)
    {
        const auto first = covered_.begin() + static_cast<std::ptrdiff_t>(start);
        if (std::any_of(first, first + length, [](bool taken) { return taken; }))
            return false;
        std::fill(first, first + length, true);
        end_ = std::max(end_, start + static_cast<std::size_t>(length));
        return true;
    }

    std::mt19937 rng_;
    std::vector<bool> covered_;
    std::string text_;
    std::size_t base_ = 0;
    std::size_t end_ = 0;
};

TEST_F(ImageFileTest, RandomFilesLayOutLikeSrecCat)
{
    if (!srecCatAvailable())
        GTEST_SKIP() << kSrecCatPath << " is not installed (Debian package srecord)";
    for (unsigned seed = 1; seed <= 8; ++seed) {
        RandomHexFile file(seed);
        const std::string path = scratch.write("random.hex", file.generate());
        image.load(path);
        const std::string referencePath = scratch.pathOf("random.bin");
        ASSERT_TRUE(runSrecCat(path, file.end(), referencePath)) << "srec_cat failed on seed " << seed;
        const Bytes reference = readFileBytes(referencePath);
        ASSERT_EQ(image.dataSize(), static_cast<int>(reference.size())) << "seed " << seed;
        EXPECT_TRUE(std::ranges::equal(image.dataBytes(), reference)) << "seed " << seed;
    }
}

} // namespace
} // namespace orvex::test
