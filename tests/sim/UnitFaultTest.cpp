#include "sim/UnitTestSupport.h"

namespace orvex::sim::test {
namespace {

using Cmd = CommandCode;

constexpr std::uint8_t codeOf(Cmd command)
{
    return static_cast<std::uint8_t>(command);
}

UnitOptions withFaults(std::vector<FaultRule> faults)
{
    UnitOptions options;
    options.faults = std::move(faults);
    return options;
}

TEST(UnitFaultTest, RefusesOnlyTheChosenOccurrenceAndDoesNotCarryItOut)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdProgramBlock), 2, FaultAction::Refuse, 0x42}}));
    driver.powerOn();
    ASSERT_EQ(driver.status(Cmd::CmdProgramInit), 0);

    EXPECT_EQ(driver.status(Cmd::CmdProgramBlock, dataBlock(0, samplePattern(4, 1))), 0);
    const auto refused = driver.exchange(Cmd::CmdProgramBlock, dataBlock(64, samplePattern(4, 2)));
    EXPECT_EQ(driver.status(Cmd::CmdProgramBlock, dataBlock(128, samplePattern(4, 3))), 0);

    EXPECT_EQ(refused.command, codeOf(Cmd::CmdProgramBlock));
    EXPECT_EQ(refused.payload, std::vector<std::uint8_t>{0x42});
    const auto flash = driver.unit.flash();
    EXPECT_EQ(flash[0], samplePattern(4, 1)[0]);
    EXPECT_EQ(flash[64], 0xFF);
    EXPECT_EQ(flash[128], samplePattern(4, 3)[0]);
}

TEST(UnitFaultTest, OccurrenceZeroStrikesEveryRequestOfThatCommandOnly)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdPowerOn), 0, FaultAction::Refuse, 0x07}}));
    EXPECT_EQ(driver.status(Cmd::CmdPowerOn), 0x07);
    EXPECT_EQ(driver.status(Cmd::CmdPowerOn), 0x07);
    EXPECT_FALSE(driver.unit.powered());
    EXPECT_EQ(driver.status(Cmd::CmdPowerOff), 0);
}

TEST(UnitFaultTest, RefusalReplacesEvenTheVersionReply)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdGetVersion), 1, FaultAction::Refuse, 0x09}}));
    EXPECT_EQ(driver.exchange(Cmd::CmdGetVersion).payload, std::vector<std::uint8_t>{0x09});
    EXPECT_EQ(driver.exchange(Cmd::CmdGetVersion).payload.size(), 3u);
}

TEST(UnitFaultTest, SilentDoesTheWorkButSendsNothing)
{
    UnitOptions options = withFaults({{codeOf(Cmd::CmdErase), 1, FaultAction::Silent}});
    options.eraseTime = std::chrono::milliseconds(30);
    options.noiseBytes = 4;
    UnitDriver driver(options);
    driver.unit.setFlash(std::vector<std::uint8_t>(100, 0x00));
    driver.powerOn();

    const auto reply = driver.send(Cmd::CmdErase);

    EXPECT_TRUE(reply.bytes.empty());
    EXPECT_EQ(reply.workTime, options.eraseTime);
    EXPECT_EQ(driver.unit.flash()[0], 0xFF);
    EXPECT_EQ(driver.status(Cmd::CmdErase), 0);
}

TEST(UnitFaultTest, BadCrcSpoilsOnlyTheChecksumOfAReplyToWorkDone)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdPowerOn), 1, FaultAction::BadCrc}}));

    const auto reply = driver.send(Cmd::CmdPowerOn).bytes;

    EXPECT_TRUE(driver.unit.powered());
    const auto spoilt = decodeReply(reply);
    ASSERT_TRUE(spoilt.has_value());
    EXPECT_FALSE(spoilt->crcGood);
    EXPECT_EQ(spoilt->command, 0x0D);
    EXPECT_EQ(spoilt->payload, std::vector<std::uint8_t>{0});
    auto repaired = reply;
    repaired.back() ^= 0xFF;
    EXPECT_TRUE(decodeReply(repaired)->crcGood);
    EXPECT_TRUE(driver.exchange(Cmd::CmdPowerOn).crcGood);
}

TEST(UnitFaultTest, WrongCommandKeepsTheReadDataUnderAnotherCommandByte)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdReadBlock), 2, FaultAction::WrongCommand, 0x05}}));
    driver.unit.setFlash(samplePattern(256, 4));
    driver.powerOn();
    ASSERT_EQ(driver.status(Cmd::CmdReadInit), 0);

    EXPECT_EQ(driver.exchange(Cmd::CmdReadBlock, readBlock(0)).command, 0x02);
    const auto wrong = driver.exchange(Cmd::CmdReadBlock, readBlock(64));

    EXPECT_TRUE(wrong.crcGood);
    EXPECT_EQ(wrong.command, 0x05);
    ASSERT_EQ(wrong.payload.size(), 72u);
    EXPECT_EQ(wrong.payload[8], samplePattern(256, 4)[64]);
}

TEST(UnitFaultTest, WrongCommandAppliesToStatusRepliesToo)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdPowerOff), 0, FaultAction::WrongCommand, 0x33}}));
    const auto reply = driver.exchange(Cmd::CmdPowerOff);
    EXPECT_EQ(reply.command, 0x33);
    EXPECT_EQ(reply.payload, std::vector<std::uint8_t>{0});
}

TEST(UnitFaultTest, FirstMatchingRuleWinsAndRulesCanBeAddedLater)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdPowerOn), 2, FaultAction::Refuse, 0x21}}));
    driver.unit.addFault({codeOf(Cmd::CmdPowerOn), 0, FaultAction::Refuse, 0x22});

    EXPECT_EQ(driver.status(Cmd::CmdPowerOn), 0x22);
    EXPECT_EQ(driver.status(Cmd::CmdPowerOn), 0x21);
    EXPECT_EQ(driver.status(Cmd::CmdPowerOn), 0x22);
}

TEST(UnitFaultTest, OccurrencesCountRequestsTheUnitRefusedForOtherReasons)
{
    UnitDriver driver(withFaults({{codeOf(Cmd::CmdErase), 2, FaultAction::Refuse, 0x31}}));
    EXPECT_EQ(driver.status(Cmd::CmdErase), statusByte(UnitStatus::PowerOff));
    driver.powerOn();
    EXPECT_EQ(driver.status(Cmd::CmdErase), 0x31);
}

TEST(UnitFaultTest, NoiseWithoutFrameStartsPrecedesEveryReply)
{
    UnitOptions options;
    options.noiseBytes = 9;
    UnitDriver driver(options);

    for (Cmd command : {Cmd::CmdGetVersion, Cmd::CmdPowerOn, Cmd::CmdErase}) {
        const auto bytes = driver.send(command).bytes;
        ASSERT_GT(bytes.size(), 9u);
        EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + 9, 0xAA), 0);
        const auto reply = decodeReply(bytes);
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->noiseBefore, 9u);
        EXPECT_TRUE(reply->crcGood);
        EXPECT_EQ(reply->command, codeOf(command));
    }
}

} // namespace
} // namespace orvex::sim::test
