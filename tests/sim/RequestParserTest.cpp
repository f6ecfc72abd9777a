#include "sim/RequestParser.h"
#include "sim/UnitTestSupport.h"

#include <gtest/gtest.h>

namespace orvex::sim::test {
namespace {

struct Parsed {
    std::uint8_t command;
    std::vector<std::uint8_t> payload;
};

std::vector<Parsed> parseAll(RequestParser& parser, std::span<const std::uint8_t> stream)
{
    std::vector<Parsed> parsed;
    for (std::uint8_t byte : stream) {
        if (parser.feed(byte))
            parsed.push_back({parser.command(), {parser.payload().begin(), parser.payload().end()}});
    }
    return parsed;
}

void append(std::vector<std::uint8_t>& stream, std::span<const std::uint8_t> bytes)
{
    stream.insert(stream.end(), bytes.begin(), bytes.end());
}

TEST(RequestParserTest, TakesKnownWireFramesApart)
{
    RequestParser parser;
    const std::vector<std::uint8_t> stream{
        0xAA, 0x55, 0x00, 0x00, 0x4E,                                                 // version query
        0xAA, 0x55, 0x08, 0x02, 0x01, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0x51, // read block 1
    };

    const auto parsed = parseAll(parser, stream);

    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].command, 0x00);
    EXPECT_TRUE(parsed[0].payload.empty());
    EXPECT_EQ(parsed[1].command, 0x02);
    EXPECT_EQ(parsed[1].payload, (std::vector<std::uint8_t>{0x01, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00}));
}

TEST(RequestParserTest, ParsesBackToBackRequestsOfEveryLength)
{
    std::vector<std::uint8_t> stream;
    for (int length : {0, 1, 8, 72, 255})
        append(stream,
               encodeRequest(CommandCode::CmdVerifyBlock, samplePattern(static_cast<std::size_t>(length), 0xAA)));

    RequestParser parser;
    const auto parsed = parseAll(parser, stream);

    ASSERT_EQ(parsed.size(), 5u);
    EXPECT_EQ(parsed[3].payload, samplePattern(72, 0xAA));
    EXPECT_EQ(parsed[4].payload, samplePattern(255, 0xAA));
}

TEST(RequestParserTest, DropsAFrameWithABadCrcAndFindsTheNextOne)
{
    auto spoilt = encodeRequest(CommandCode::CmdProgramBlock, dataBlock(0, samplePattern(10, 1)));
    spoilt[7] ^= 0x01;
    std::vector<std::uint8_t> stream = spoilt;
    append(stream, encodeRequest(CommandCode::CmdErase));

    RequestParser parser;
    const auto parsed = parseAll(parser, stream);

    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].command, 0x07);
}

TEST(RequestParserTest, SkipsNoiseAndARepeatedFirstSyncByte)
{
    std::vector<std::uint8_t> stream{0x00, 0x55, 0x13, 0xAA, 0x13, 0xAA, 0xAA};
    const auto request = encodeRequest(CommandCode::CmdPowerOn);
    append(stream, std::span(request).subspan(1)); // the frame's own 0xAA is the last one above

    RequestParser parser;
    const auto parsed = parseAll(parser, stream);

    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].command, 0x0D);
}

TEST(RequestParserTest, AnIncompleteFrameIsNotReported)
{
    const auto request = encodeRequest(CommandCode::CmdVerifyBlock, dataBlock(0, samplePattern(64, 2)));
    RequestParser parser;
    EXPECT_TRUE(parseAll(parser, std::span(request).first(request.size() - 1)).empty());
    EXPECT_EQ(parseAll(parser, std::span(request).last(1)).size(), 1u);
}

} // namespace
} // namespace orvex::sim::test
