#include "image/HexLineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvex {
namespace {

std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> lines;
    HexLineReader reader(text);
    while (const auto line = reader.next())
        lines.emplace_back(*line);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(HexLineSplitting, OnlyLineFeedEndsALineAndWhiteSpaceIsTrimmed)
{
    EXPECT_EQ(linesOf(" \t:AB\r\n\r\n\v:CD \f\n:E\rF"), (Lines{":AB", "", ":CD", ":E\rF"}));
    EXPECT_EQ(linesOf(":AB\n"), (Lines{":AB", ""}));
    EXPECT_TRUE(linesOf("").empty());
}

TEST(HexLineSplitting, NulEndsALineEarly)
{
    EXPECT_EQ(linesOf(std::string(":AB\0:CD\n:EF", 11)), (Lines{":AB", ":EF"}));
}

TEST(HexLineSplitting, LongRunIsCutIntoThousandCharacterLinesDroppingOneBetween)
{
    std::string run(2500, ' ');
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i] = static_cast<char>('a' + i % 26);
    const Lines lines = linesOf(run);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], run.substr(0, 1000));
    EXPECT_EQ(lines[1], run.substr(1001, 1000));
    EXPECT_EQ(lines[2], run.substr(2002));
    EXPECT_EQ(lines[2].size(), 498u);
}

TEST(HexLineSplitting, LineOfExactlyTheLimitIsKeptWhole)
{
    const std::string line(HexLineReader::kMaxHexLineLength, 'x');
    EXPECT_EQ(linesOf(line + "\n:AB"), (Lines{line, ":AB"}));
}

} // namespace
} // namespace orvex
