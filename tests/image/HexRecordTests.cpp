#include "image/HexDigits.h"
#include "image/HexRecord.h"
#include "image/HexTextWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace orvex {
namespace {

using test::Bytes;

bool accepted(std::string_view line)
{
    return !HexRecord().read(line).has_value();
}

TEST(HexFieldReading, TakesEitherCaseAndStopsAtTheFirstNonDigit)
{
    EXPECT_EQ(readHexField("aB"), 0xABu);
    EXPECT_EQ(readHexField("fF09"), 0xFF09u);
    EXPECT_EQ(readHexField("3G"), 0x3u);
    EXPECT_EQ(readHexField("G3"), 0x0u);
    EXPECT_EQ(readHexField("12 4"), 0x12u);
}

TEST(HexRecordValidation, AcceptsACorrectLineAndReadsItsFields)
{
    const Bytes data = {0xDE, 0xAD, 0xBE, 0xEF};
    const std::string line = test::dataLine(0x1234, data);
    HexRecord record;
    ASSERT_EQ(record.read(line), std::nullopt);
    EXPECT_EQ(record.byteCount(), 4);
    EXPECT_EQ(record.address(), 0x1234);
    EXPECT_EQ(record.recordType(), HexRecord::kDataRecord);
    EXPECT_TRUE(std::ranges::equal(record.data(), data));
    EXPECT_EQ(record.checksum(), 0x100 - ((4 + 0x12 + 0x34 + 0xDE + 0xAD + 0xBE + 0xEF) & 0xFF));
}

TEST(HexRecordValidation, RejectsAWrongChecksumInAnyPosition)
{
    const std::string line = test::dataLine(0x0010, Bytes{1, 2, 3});
    for (std::size_t pos = 1; pos < line.size(); ++pos) {
        std::string broken = line;
        broken[pos] = broken[pos] == '0' ? '1' : '0';
        EXPECT_FALSE(accepted(broken)) << broken;
    }
}

TEST(HexRecordValidation, RejectsLinesWithoutColonOrTooShort)
{
    const std::string line = test::endOfFileLine();
    EXPECT_TRUE(accepted(line));
    EXPECT_FALSE(accepted(line.substr(1)));
    EXPECT_FALSE(accepted(";" + line.substr(1)));
    // Ten characters whose pairs still sum to zero.
    EXPECT_FALSE(accepted(":000000000"));
}

TEST(HexRecordValidation, IgnoresAnOddLastCharacter)
{
    const std::string line = test::dataLine(0, Bytes{0x55}) + "7";
    HexRecord record;
    EXPECT_EQ(record.read(line), std::nullopt);
    EXPECT_EQ(record.data()[0], 0x55);
}

TEST(HexRecordValidation, RejectsAByteCountClaimingMorePairsThanTheLineHolds)
{
    // Byte count 0x10 but two data bytes; the checksum fits the pairs present.
    const std::string line = test::hexLine(0x00, 0x0000, Bytes{0x01, 0x02});
    std::string claimsMore = line;
    claimsMore.replace(1, 2, "10");
    const unsigned sum = 0x10 + 0x01 + 0x02;
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - sum) & 0xFF);
    claimsMore.replace(claimsMore.size() - 2, 2, checksum);

    HexRecord record;
    ASSERT_EQ(record.read(line), std::nullopt);
    EXPECT_EQ(record.read(claimsMore), LineRejection::ByteCountBeyondLine);
    EXPECT_TRUE(record.data().empty());
}

} // namespace
} // namespace orvex
