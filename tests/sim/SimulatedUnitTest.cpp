#include "sim/UnitTestSupport.h"

#include <algorithm>

namespace orvex::sim::test {
namespace {

using Cmd = CommandCode;
constexpr std::uint8_t kErased = FlashMemory::kErased;

TEST(SimulatedUnitTest, AnswersVersionWithItsThreeCharactersEvenWithPowerOff)
{
    UnitOptions options;
    options.versionChars = {'7', 'x', '3'};
    UnitDriver driver(options);

    const auto reply = driver.exchange(Cmd::CmdGetVersion);

    EXPECT_FALSE(driver.unit.powered());
    EXPECT_TRUE(reply.crcGood);
    EXPECT_EQ(reply.command, 0x00);
    EXPECT_EQ(reply.payload, (std::vector<std::uint8_t>{'7', 'x', '3'}));
}

TEST(SimulatedUnitTest, StartsUnpoweredAndSwitchesPowerBothWays)
{
    UnitDriver driver;
    EXPECT_FALSE(driver.unit.powered());

    const auto on = driver.exchange(Cmd::CmdPowerOn);
    EXPECT_EQ(on.command, 0x0D);
    EXPECT_EQ(on.payload, std::vector<std::uint8_t>{0});
    EXPECT_TRUE(driver.unit.powered());

    const auto off = driver.exchange(Cmd::CmdPowerOff);
    EXPECT_EQ(off.command, 0x0E);
    EXPECT_EQ(off.payload, std::vector<std::uint8_t>{0});
    EXPECT_FALSE(driver.unit.powered());
}

TEST(SimulatedUnitTest, CanStartPoweredForToolsThatSkipThePowerOn)
{
    UnitOptions options;
    options.poweredAtStart = true;
    UnitDriver driver(options);

    EXPECT_TRUE(driver.unit.powered());
    EXPECT_EQ(driver.status(Cmd::CmdErase), 0);
}

TEST(SimulatedUnitTest, RefusesEveryTargetRequestWhilePowerIsOffAndLeavesTheFlashAlone)
{
    UnitDriver driver;
    const auto contents = samplePattern(300, 1);
    driver.unit.setFlash(contents);
    const auto block = dataBlock(0, samplePattern(64, 9));

    const std::vector<std::pair<Cmd, std::vector<std::uint8_t>>> requests{
        {Cmd::CmdErase, {}},          {Cmd::CmdBlankTest, {}},
        {Cmd::CmdProgramInit, {}},    {Cmd::CmdProgramBlock, block},
        {Cmd::CmdProgramEnd, {}},     {Cmd::CmdVerifyInit, {}},
        {Cmd::CmdVerifyBlock, block}, {Cmd::CmdVerifyEnd, {}},
        {Cmd::CmdReadInit, {}},       {Cmd::CmdReadBlock, readBlock(0)},
        {Cmd::CmdReadEnd, {}},
    };
    for (const auto& [command, payload] : requests) {
        const auto reply = driver.exchange(command, payload);
        EXPECT_EQ(reply.command, static_cast<std::uint8_t>(command));
        EXPECT_EQ(reply.payload, std::vector<std::uint8_t>{statusByte(UnitStatus::PowerOff)})
            << "command " << static_cast<int>(command);
    }
    const auto flash = driver.unit.flash();
    EXPECT_TRUE(std::equal(contents.begin(), contents.end(), flash.begin()));
}

TEST(SimulatedUnitTest, PowerOffEndsAnOpenTransfer)
{
    UnitDriver driver;
    driver.powerOn();
    ASSERT_EQ(driver.status(Cmd::CmdProgramInit), 0);
    ASSERT_EQ(driver.status(Cmd::CmdPowerOff), 0);
    driver.powerOn();

    EXPECT_EQ(driver.status(Cmd::CmdProgramBlock, dataBlock(0, samplePattern(8, 2))),
              statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdProgramEnd), statusByte(UnitStatus::NoTransfer));
}

TEST(SimulatedUnitTest, EraseBlanksTheFlashAndBlankTestTellsBlankFromNot)
{
    UnitOptions options;
    options.eraseTime = std::chrono::milliseconds(1234);
    UnitDriver driver(options);
    driver.powerOn();
    std::vector<std::uint8_t> oneCleared(SimulatedUnit::kFlashSize, kErased);
    oneCleared.back() = 0xFE; // the very last bit counts too
    driver.unit.setFlash(oneCleared);

    const auto notBlank = driver.send(Cmd::CmdBlankTest);
    EXPECT_EQ(decodeReply(notBlank.bytes)->status(), statusByte(UnitStatus::NotBlank));
    EXPECT_EQ(notBlank.workTime, options.eraseTime);

    const auto erase = driver.send(Cmd::CmdErase);
    EXPECT_EQ(decodeReply(erase.bytes)->status(), 0);
    EXPECT_EQ(erase.workTime, options.eraseTime);
    const auto flash = driver.unit.flash();
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == kErased; }));

    EXPECT_EQ(driver.status(Cmd::CmdBlankTest), 0);
}

TEST(SimulatedUnitTest, ProgramWritesOnlyTheBlockAndCanOnlyClearBits)
{
    UnitOptions options;
    options.blockTime = std::chrono::milliseconds(7);
    UnitDriver driver(options);
    driver.powerOn();
    const std::vector<std::uint8_t> first{0xF0, 0x0F, 0xAA, 0x55, 0x00};
    const std::vector<std::uint8_t> second{0x3C, 0xFF, 0x0F, 0x55, 0xFF};

    driver.program(130, first);
    auto flash = driver.unit.flash();
    EXPECT_EQ(flash[129], kErased);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), flash.begin() + 130));
    EXPECT_EQ(flash[135], kErased);

    driver.program(130, second);
    flash = driver.unit.flash();
    const std::vector<std::uint8_t> anded{0x30, 0x0F, 0x0A, 0x55, 0x00};
    EXPECT_TRUE(std::equal(anded.begin(), anded.end(), flash.begin() + 130));

    ASSERT_EQ(driver.status(Cmd::CmdProgramInit), 0);
    EXPECT_EQ(driver.send(Cmd::CmdProgramBlock, dataBlock(0, first)).workTime, options.blockTime);
    EXPECT_EQ(driver.send(Cmd::CmdProgramEnd).workTime, std::chrono::milliseconds(0));
}

TEST(SimulatedUnitTest, VerifyComparesTheBlockWithTheFlash)
{
    UnitDriver driver;
    driver.powerOn();
    const auto data = samplePattern(64, 3);
    driver.program(64, data);
    auto overwritten = data;
    overwritten[63] ^= 0x01;

    ASSERT_EQ(driver.status(Cmd::CmdVerifyInit), 0);
    EXPECT_EQ(driver.status(Cmd::CmdVerifyBlock, dataBlock(64, data)), 0);
    EXPECT_EQ(driver.status(Cmd::CmdVerifyBlock, dataBlock(64, overwritten)), statusByte(UnitStatus::Mismatch));
    EXPECT_EQ(driver.status(Cmd::CmdVerifyBlock, dataBlock(0, data)), statusByte(UnitStatus::Mismatch));
    EXPECT_EQ(driver.status(Cmd::CmdVerifyEnd), 0);
}

TEST(SimulatedUnitTest, ProgrammingOverOldDataMakesVerifyFail)
{
    UnitDriver driver;
    driver.powerOn();
    driver.program(0, samplePattern(64, 4));
    const auto newer = samplePattern(64, 5);
    driver.program(0, newer);

    ASSERT_EQ(driver.status(Cmd::CmdVerifyInit), 0);
    EXPECT_EQ(driver.status(Cmd::CmdVerifyBlock, dataBlock(0, newer)), statusByte(UnitStatus::Mismatch));
}

TEST(SimulatedUnitTest, ReadBlockRepliesWithTheHeaderAndTheFlashBytes)
{
    UnitDriver driver;
    const auto contents = samplePattern(SimulatedUnit::kFlashSize, 6);
    driver.unit.setFlash(contents);
    driver.powerOn();
    ASSERT_EQ(driver.status(Cmd::CmdReadInit), 0);

    for (std::uint32_t address : {0u, 64u, 131008u}) {
        const auto request = readBlock(address);
        const auto reply = driver.exchange(Cmd::CmdReadBlock, request);
        EXPECT_TRUE(reply.crcGood);
        EXPECT_EQ(reply.command, 0x02);
        ASSERT_EQ(reply.payload.size(), 72u);
        EXPECT_TRUE(std::equal(request.begin(), request.end(), reply.payload.begin()));
        EXPECT_TRUE(std::equal(reply.payload.begin() + 8, reply.payload.end(), contents.begin() + address))
            << "address " << address;
    }
    EXPECT_EQ(driver.status(Cmd::CmdReadEnd), 0);
}

TEST(SimulatedUnitTest, RefusesBlocksAndEndsOutsideTheirTransfer)
{
    UnitDriver driver;
    driver.powerOn();
    const auto block = dataBlock(0, samplePattern(16, 7));

    EXPECT_EQ(driver.status(Cmd::CmdProgramBlock, block), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdReadEnd), statusByte(UnitStatus::NoTransfer));

    ASSERT_EQ(driver.status(Cmd::CmdVerifyInit), 0);
    EXPECT_EQ(driver.status(Cmd::CmdProgramBlock, block), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdReadBlock, readBlock(0)), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdProgramEnd), statusByte(UnitStatus::NoTransfer));
    ASSERT_EQ(driver.status(Cmd::CmdVerifyEnd), 0);

    EXPECT_EQ(driver.status(Cmd::CmdVerifyBlock, block), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdVerifyEnd), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.unit.flash()[0], kErased);
}

TEST(SimulatedUnitTest, NewInitRestartsAnAbandonedTransfer)
{
    UnitDriver driver;
    driver.powerOn();
    ASSERT_EQ(driver.status(Cmd::CmdProgramInit), 0);
    ASSERT_EQ(driver.status(Cmd::CmdReadInit), 0);

    EXPECT_EQ(driver.exchange(Cmd::CmdReadBlock, readBlock(0)).payload.size(), 72u);
    EXPECT_EQ(driver.status(Cmd::CmdProgramEnd), statusByte(UnitStatus::NoTransfer));
    EXPECT_EQ(driver.status(Cmd::CmdReadEnd), 0);
}

struct BadBlockCase {
    const char* name;
    CommandCode command;
    std::vector<std::uint8_t> payload;
};

void PrintTo(const BadBlockCase& badBlock, std::ostream* out)
{
    *out << badBlock.name;
}

class BadBlockTest : public testing::TestWithParam<BadBlockCase> {};

TEST_P(BadBlockTest, IsRefusedWithoutTouchingTheFlash)
{
    UnitDriver driver;
    driver.powerOn();
    const auto& badBlock = GetParam();
    const CommandCode init = badBlock.command == Cmd::CmdReadBlock     ? Cmd::CmdReadInit
                             : badBlock.command == Cmd::CmdVerifyBlock ? Cmd::CmdVerifyInit
                                                                       : Cmd::CmdProgramInit;
    ASSERT_EQ(driver.status(init), 0);

    const auto reply = driver.exchange(badBlock.command, badBlock.payload);

    EXPECT_EQ(reply.command, static_cast<std::uint8_t>(badBlock.command));
    EXPECT_EQ(reply.payload, std::vector<std::uint8_t>{statusByte(UnitStatus::BadBlock)});
    const auto flash = driver.unit.flash();
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](std::uint8_t b) { return b == kErased; }));
}

std::vector<std::uint8_t> zeros(std::size_t count)
{
    return std::vector<std::uint8_t>(count, 0x00);
}

std::vector<std::uint8_t> withoutLastByte(std::vector<std::uint8_t> bytes)
{
    bytes.pop_back();
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedUnitTest, BadBlockTest,
    testing::Values(BadBlockCase{"ShortHeader", Cmd::CmdProgramBlock, withoutLastByte(blockPayload(0, 0, 0))},
                    BadBlockCase{"CountZero", Cmd::CmdProgramBlock, blockPayload(0, 0, 0)},
                    BadBlockCase{"CountAbove64", Cmd::CmdProgramBlock, blockPayload(0, 65, 0, zeros(65))},
                    BadBlockCase{"FewerBytesThanCounted", Cmd::CmdProgramBlock, blockPayload(0, 10, 0, zeros(9))},
                    BadBlockCase{"MoreBytesThanCounted", Cmd::CmdVerifyBlock, blockPayload(0, 10, 0, zeros(11))},
                    BadBlockCase{"PastTheFlashEnd", Cmd::CmdProgramBlock, blockPayload(0, 64, 131072 - 32, zeros(64))},
                    BadBlockCase{"AddressThatWouldWrap", Cmd::CmdProgramBlock,
                                 blockPayload(0, 32, 0xFFFFFFF0u, zeros(32))},
                    BadBlockCase{"VerifyPastTheFlashEnd", Cmd::CmdVerifyBlock, blockPayload(0, 1, 131072, zeros(1))},
                    BadBlockCase{"ReadOfFewerThan64", Cmd::CmdReadBlock, blockPayload(0, 63, 0)},
                    BadBlockCase{"ReadWithData", Cmd::CmdReadBlock, blockPayload(0, 64, 0, zeros(1))},
                    BadBlockCase{"ReadPastTheFlashEnd", Cmd::CmdReadBlock, blockPayload(0, 64, 131072 - 63)}),
    [](const testing::TestParamInfo<BadBlockCase>& row) { return std::string(row.param.name); });

TEST(SimulatedUnitTest, AcceptsTheLastBlockAndShortBlocksAtTheFlashEnd)
{
    UnitDriver driver;
    driver.powerOn();
    driver.program(131008, samplePattern(64, 8));
    driver.program(131071, samplePattern(1, 8));
    EXPECT_EQ(driver.unit.flash().back(), samplePattern(1, 8)[0] & samplePattern(64, 8)[63]);
}

TEST(SimulatedUnitTest, UnknownCommandsGetARefusalWithTheirOwnCommandByte)
{
    UnitDriver driver;
    for (std::uint8_t command : {std::uint8_t{0x0C}, std::uint8_t{0x0F}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
        const auto reply = decodeReply(driver.unit.handleRequest(command, {}).bytes);
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->command, command);
        EXPECT_EQ(reply->payload, std::vector<std::uint8_t>{statusByte(UnitStatus::UnknownCommand)});
    }
}

TEST(SimulatedUnitTest, LogsEveryRequestWithItsPayloadUntilCleared)
{
    UnitDriver driver;
    const auto block = dataBlock(64, samplePattern(3, 1));
    driver.send(Cmd::CmdProgramBlock, block); // refused: power off
    driver.send(Cmd::CmdGetVersion);
    driver.unit.handleRequest(0x0C, {});

    const auto log = driver.unit.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].command, 0x05);
    EXPECT_EQ(log[0].payload, block);
    EXPECT_EQ(log[1].command, 0x00);
    EXPECT_TRUE(log[1].payload.empty());
    EXPECT_EQ(log[2].command, 0x0C);

    driver.unit.clearRequests();
    EXPECT_TRUE(driver.unit.requests().empty());
    driver.send(Cmd::CmdPowerOn);
    EXPECT_EQ(driver.unit.requests().size(), 1u);
}

TEST(SimulatedUnitTest, SetFlashFillsFromAddressZeroAndErasesTheRest)
{
    UnitDriver driver;
    driver.unit.setFlash(std::vector<std::uint8_t>(SimulatedUnit::kFlashSize, 0x00));
    driver.unit.setFlash(std::vector<std::uint8_t>{1, 2, 3});

    const auto flash = driver.unit.flash();
    ASSERT_EQ(flash.size(), static_cast<std::size_t>(SimulatedUnit::kFlashSize));
    EXPECT_EQ(flash[0], 1);
    EXPECT_EQ(flash[2], 3);
    EXPECT_TRUE(std::all_of(flash.begin() + 3, flash.end(), [](std::uint8_t b) { return b == kErased; }));
}

} // namespace
} // namespace orvex::sim::test
