#include "support/DeviceOnSimulatedUnit.h"

using namespace orvex;
using test::RecordingNotifier;
using Strings = std::vector<std::string>;

class VersionAndPower : public test::DeviceOnMemoryUnit {};

TEST_F(VersionAndPower, VersionCharactersAppearInOrder)
{
    EXPECT_EQ(device.queryVersion(), 1);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Prog ver.: 1.2.0 ONLINE");
    EXPECT_TRUE(notifier.eventsOf(RecordingNotifier::Kind::Refresh).empty()) << "the version query posts no refresh";
}

TEST_F(VersionAndPower, AnyValidFrameCountsAsTheVersionReply)
{
    addFault(CommandCode::CmdGetVersion, sim::FaultAction::WrongCommand, 1, 0x05);
    EXPECT_EQ(device.queryVersion(), 1);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Prog ver.: 1.2.0 ONLINE");
}

TEST_F(VersionAndPower, ShortVersionReplyEndsTheLineWhereItsBytesEnd)
{
    // A one-byte reply: its CRC byte lies where the second character would,
    // and the third reads as the NUL the receive buffer was cleared to.
    addFault(CommandCode::CmdGetVersion, sim::FaultAction::Refuse, 1, '7');
    EXPECT_EQ(device.queryVersion(), 1);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Prog ver.: 7.\xCF.");
}

TEST_F(VersionAndPower, SilentOrGarbledVersionReplyIsAConnectionError)
{
    addFault(CommandCode::CmdGetVersion, sim::FaultAction::Silent, 1);
    addFault(CommandCode::CmdGetVersion, sim::FaultAction::BadCrc, 2);
    for (int attempt = 0; attempt < 2; ++attempt) {
        notifier.texts().setStepLine(ProcedureStep::Detect, "");
        EXPECT_EQ(device.queryVersion(), 0);
        EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Connection ERROR");
    }
}

TEST_F(VersionAndPower, SuccessfulPowerSwitchChangesNoText)
{
    notifier.texts().setMainStatus("before");
    EXPECT_EQ(device.powerOn(), 1);
    EXPECT_TRUE(unit.powered());
    EXPECT_EQ(device.powerOff(), 1);
    EXPECT_FALSE(unit.powered());
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "before");
    EXPECT_TRUE(notifier.events().empty());
}

TEST_F(VersionAndPower, RefusalsAndSilenceNameTheirCause)
{
    addFault(CommandCode::CmdPowerOn, sim::FaultAction::Refuse, 1, 0x01);
    addFault(CommandCode::CmdPowerOn, sim::FaultAction::Silent, 2);
    addFault(CommandCode::CmdPowerOff, sim::FaultAction::Refuse, 1, 0x7F);

    EXPECT_EQ(device.powerOn(), 0);
    EXPECT_EQ(device.powerOn(), 0);
    EXPECT_EQ(device.powerOff(), 0);
    EXPECT_EQ(notifier.mainStatusHistory(), (Strings{"Prog Power ON ERROR", "ERROR komunikacji", "Prog Power OFF ERROR"}));
    EXPECT_EQ(notifier.eventsOf(RecordingNotifier::Kind::Refresh).size(), 3u);
}

class EraseAndBlankTest : public test::DeviceOnMemoryUnit {
protected:
    void SetUp() override
    {
        DeviceOnMemoryUnit::SetUp();
        ASSERT_EQ(device.powerOn(), 1);
    }
};

TEST_F(EraseAndBlankTest, EraseShowsItsStartThenOkAndClearsTheMainText)
{
    unit.setFlash(std::vector<std::uint8_t>(1000, 0x12));
    EXPECT_EQ(device.eraseFlash(), 1);
    EXPECT_EQ(notifier.stepLineHistory(ProcedureStep::Erase), (Strings{"Kasowanie FLASH... ", "Kasowanie FLASH... OK"}));
    EXPECT_EQ(notifier.mainStatusHistory(), (Strings{"Kasowanie FLASH... ", ""}));
    EXPECT_EQ(unit.flash(), std::vector<std::uint8_t>(sim::SimulatedUnit::kFlashSize, 0xFF));
}

TEST_F(EraseAndBlankTest, EraseRefusedOrUnanswered)
{
    addFault(CommandCode::CmdErase, sim::FaultAction::Refuse, 1, 0x02);
    addFault(CommandCode::CmdErase, sim::FaultAction::BadCrc, 2);
    EXPECT_EQ(device.eraseFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Erase), "Kasowanie FLASH... ERROR");
    EXPECT_EQ(device.eraseFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Erase), "Blad polaczenia");
}

TEST_F(EraseAndBlankTest, BlankTestKeepsItsVerdictInTheMainText)
{
    EXPECT_EQ(device.testBlank(), 1);
    EXPECT_EQ(notifier.stepLineHistory(ProcedureStep::TestFF), (Strings{"Test czystości... ", "Test czystości... OK"}));
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "Test czystości... OK");

    unit.setFlash(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFE});
    EXPECT_EQ(device.testBlank(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::TestFF), "Test czystości... ERROR");
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "Test czystości... ERROR");
}

TEST_F(EraseAndBlankTest, SilentUnitReplacesTheWholeLine)
{
    addFault(CommandCode::CmdBlankTest, sim::FaultAction::Silent);
    EXPECT_EQ(device.testBlank(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::TestFF), "Blad polaczenia");
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "Blad polaczenia");
}

TEST_F(EraseAndBlankTest, UnpoweredTargetRefusesErase)
{
    ASSERT_EQ(device.powerOff(), 1);
    EXPECT_EQ(device.eraseFlash(), 0);
    EXPECT_EQ(receivedCommands().back(), test::commandByte(CommandCode::CmdErase));
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Erase), "Kasowanie FLASH... ERROR");
}
