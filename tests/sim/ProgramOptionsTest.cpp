#include "sim/ProgramOptions.h"

#include <gtest/gtest.h>

namespace orvex::sim::test {
namespace {

std::variant<ProgramOptions, std::string> parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "orvex-sim");
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return parseProgramOptions(static_cast<int>(arguments.size()), argv.data());
}

ProgramOptions parseGood(std::vector<std::string> arguments)
{
    auto parsed = parse(std::move(arguments));
    if (const auto* error = std::get_if<std::string>(&parsed))
        ADD_FAILURE() << "rejected: " << *error;
    return std::get_if<ProgramOptions>(&parsed) ? std::get<ProgramOptions>(parsed) : ProgramOptions{};
}

TEST(ProgramOptionsTest, WithoutOptionsTheUnitIsAPlainUnpoweredOne)
{
    const auto options = parseGood({});
    EXPECT_EQ(options.unit.versionChars, (std::array<char, 3>{'1', '2', '0'}));
    EXPECT_FALSE(options.unit.poweredAtStart);
    EXPECT_TRUE(options.unit.faults.empty());
    EXPECT_EQ(options.unit.noiseBytes, 0);
    EXPECT_EQ(options.server.lineRateBps, 0);
    EXPECT_TRUE(options.linkPath.empty());
    EXPECT_TRUE(options.flashPath.empty());
    EXPECT_FALSE(options.showHelp);
}

TEST(ProgramOptionsTest, ReadsEveryValueOption)
{
    const auto options = parseGood({"--version-chars", "9AB", "--flash", "f.bin", "--link", "/tmp/unit", "--line-rate",
                                    "115200", "--erase-ms", "1500", "--block-ms=0x10", "--noise", "010", "--power-on",
                                    "--latency-ms", "16", "--stats", "timing.txt", "--help"});
    EXPECT_EQ(options.unit.versionChars, (std::array<char, 3>{'9', 'A', 'B'}));
    EXPECT_EQ(options.flashPath, "f.bin");
    EXPECT_EQ(options.linkPath, "/tmp/unit");
    EXPECT_EQ(options.server.lineRateBps, 115200);
    EXPECT_EQ(options.unit.eraseTime, std::chrono::milliseconds(1500));
    EXPECT_EQ(options.unit.blockTime, std::chrono::milliseconds(16));
    EXPECT_EQ(options.unit.noiseBytes, 10) << "a leading zero is not octal";
    EXPECT_TRUE(options.unit.poweredAtStart);
    EXPECT_EQ(options.server.replyLatency, std::chrono::milliseconds(16));
    EXPECT_EQ(options.statsPath, "timing.txt");
    EXPECT_TRUE(options.showHelp);
}

struct FaultCase {
    std::vector<std::string> arguments;
    FaultRule expected;
};

class FaultOptionTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultOptionTest, BecomesTheRule)
{
    const auto options = parseGood(GetParam().arguments);
    ASSERT_EQ(options.unit.faults.size(), 1u);
    const FaultRule& rule = options.unit.faults[0];
    const FaultRule& expected = GetParam().expected;
    EXPECT_EQ(rule.command, expected.command);
    EXPECT_EQ(rule.occurrence, expected.occurrence);
    EXPECT_EQ(rule.action, expected.action);
    EXPECT_EQ(rule.value, expected.value);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramOptionsTest, FaultOptionTest,
    testing::Values(FaultCase{{"--refuse", "program-block:3=0x42"}, {0x05, 3, FaultAction::Refuse, 0x42}},
                    FaultCase{{"--refuse", "erase"}, {0x07, 0, FaultAction::Refuse, 1}},
                    FaultCase{{"--refuse", "power-on=200"}, {0x0D, 0, FaultAction::Refuse, 200}},
                    FaultCase{{"--silent", "0x0A:2"}, {0x0A, 2, FaultAction::Silent, 1}},
                    FaultCase{{"--bad-crc", "version"}, {0x00, 0, FaultAction::BadCrc, 1}},
                    FaultCase{{"--bad-crc", "12:7"}, {0x0C, 7, FaultAction::BadCrc, 1}},
                    FaultCase{{"--wrong-command", "read-block:5=5"}, {0x02, 5, FaultAction::WrongCommand, 5}},
                    FaultCase{{"--wrong-command", "read-block"}, {0x02, 0, FaultAction::WrongCommand, 0xFF}}));

TEST(ProgramOptionsTest, KeepsRepeatedFaultsInTheirOrder)
{
    const auto options = parseGood({"--silent", "verify-end", "--refuse", "blank-test:1", "--bad-crc", "read-end"});
    ASSERT_EQ(options.unit.faults.size(), 3u);
    EXPECT_EQ(options.unit.faults[0].command, 0x0B);
    EXPECT_EQ(options.unit.faults[1].command, 0x08);
    EXPECT_EQ(options.unit.faults[2].command, 0x03);
}

struct BadCommandLine {
    std::vector<std::string> arguments;
    std::string messagePart;
};

class BadCommandLineTest : public testing::TestWithParam<BadCommandLine> {};

TEST_P(BadCommandLineTest, IsRejectedWithAMessageNamingTheProblem)
{
    const auto parsed = parse(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
    EXPECT_NE(std::get<std::string>(parsed).find(GetParam().messagePart), std::string::npos)
        << std::get<std::string>(parsed);
}

INSTANTIATE_TEST_SUITE_P(ProgramOptionsTest, BadCommandLineTest,
                         testing::Values(BadCommandLine{{"--version-chars", "12"}, "three characters"},
                                         BadCommandLine{{"--version-chars", "1234"}, "three characters"},
                                         BadCommandLine{{"--refuse", "nonsense"}, "nonsense"},
                                         BadCommandLine{{"--refuse", "0x100"}, "0x100"},
                                         BadCommandLine{{"--refuse", "erase:0"}, "occurrence"},
                                         BadCommandLine{{"--refuse", "erase:-1"}, "occurrence"},
                                         BadCommandLine{{"--refuse", "erase=0"}, "value '0'"},
                                         BadCommandLine{{"--refuse", "erase=256"}, "value '256'"},
                                         BadCommandLine{{"--silent", "erase=1"}, "takes no value"},
                                         BadCommandLine{{"--wrong-command", "read-block=2"}, "must differ"},
                                         BadCommandLine{{"--line-rate", "-5"}, "'-5'"},
                                         BadCommandLine{{"--line-rate", "fast"}, "'fast'"},
                                         BadCommandLine{{"--erase-ms", "1.5"}, "'1.5'"},
                                         BadCommandLine{{"--noise", "99999"}, "'99999'"},
                                         BadCommandLine{{"--link"}, "--link needs an argument"},
                                         BadCommandLine{{"--frobnicate"}, "unknown option --frobnicate"},
                                         BadCommandLine{{"--power-on", "stray"}, "unexpected argument 'stray'"}));

TEST(ProgramOptionsTest, HelpNamesEveryOption)
{
    const auto help = programHelpText();
    for (const char* option :
         {"--link", "--flash", "--version-chars", "--power-on", "--line-rate", "--erase-ms", "--block-ms", "--noise",
          "--refuse", "--silent", "--bad-crc", "--wrong-command", "--help", "program-block", "power-off"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
} // namespace orvex::sim::test
