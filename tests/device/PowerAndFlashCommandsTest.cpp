#include "support/DeviceOnMemoryUnit.h"
#include "support/PortScript.h"
#include "support/Timing.h"
#include "support/WireFrames.h"

using namespace orvex;
using test::RecordingNotifier;
using Bytes = std::vector<std::uint8_t>;
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
    EXPECT_EQ(notifier.mainStatusHistory(),
              (Strings{"Prog Power ON ERROR", "ERROR komunikacji", "Prog Power OFF ERROR"}));
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
    EXPECT_EQ(notifier.stepLineHistory(ProcedureStep::Erase),
              (Strings{"Kasowanie FLASH... ", "Kasowanie FLASH... OK"}));
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

// The device against a script of exact request bytes and canned replies.
class ScriptedExchange : public ::testing::Test, protected test::PresentedEvents {
protected:
    static constexpr int kReceiveTimeoutMs = 100;

    test::MemoryPort port;
    test::PortScript script;
    ProgrammerDevice device{port, reporter, kReceiveTimeoutMs};

    void SetUp() override { port.answerWith(script.farEnd()); }
    void TearDown() override { EXPECT_TRUE(script.played()) << "the requests differ from the script"; }
};

TEST_F(ScriptedExchange, WorkedFramesGoOutByteForByteAndRepliesMayComeInPieces)
{
    const Bytes versionReply = test::encodeRequest(CommandCode::CmdGetVersion, Bytes{'3', '1', '4'});
    script.expect({0xAA, 0x55, 0x00, 0x00, 0x4E}, {{Bytes(versionReply.begin(), versionReply.begin() + 3),
                                                    Bytes(versionReply.begin() + 3, versionReply.begin() + 4),
                                                    Bytes(versionReply.begin() + 4, versionReply.end())}});
    script.expect({0xAA, 0x55, 0x00, 0x0D, 0xB3}, {{{0xAA, 0x55, 0x01, 0x0D}, {0x00, 0x7B}}});
    script.expect(test::encodeRequest(CommandCode::CmdReadInit),
                  {{test::encodeRequest(CommandCode::CmdReadInit, Bytes{0x00})}});
    script.expect(test::encodeRequest(CommandCode::CmdReadBlock, Bytes{0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00}),
                  {{test::encodeRequest(CommandCode::CmdReadBlock, Bytes(72, 0x00))}});
    script.expect({0xAA, 0x55, 0x08, 0x02, 0x01, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0x51});

    EXPECT_EQ(device.queryVersion(), 1);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Prog ver.: 3.1.4 ONLINE");
    EXPECT_EQ(device.powerOn(), 1);
    EXPECT_EQ(device.readFlash(), 0) << "the second block gets no reply";
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt ERR komunikacji");
}

TEST_F(ScriptedExchange, SilenceFailsOnlyWhenTheDeadlineHasPassed)
{
    script.expect(test::encodeRequest(CommandCode::CmdErase));
    const auto start = test::Clock::now();
    EXPECT_EQ(device.eraseFlash(), 0);
    EXPECT_GE(test::millisecondsSince(start), kReceiveTimeoutMs);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Erase), "Blad polaczenia");
}

TEST_F(ScriptedExchange, PortThatClosesFailsAtOnceAndSendsNothingMore)
{
    // The full five seconds of a reply: a closed port must not wait for them.
    ProgrammerDevice patientDevice(port, reporter);
    script.expect(test::encodeRequest(CommandCode::CmdPowerOn), {{}, true});
    const auto start = test::Clock::now();
    EXPECT_EQ(patientDevice.powerOn(), 0);
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "ERROR komunikacji");
    EXPECT_EQ(patientDevice.queryVersion(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Detect), "Connection ERROR");
    EXPECT_LT(test::millisecondsSince(start), 1000);
    EXPECT_EQ(port.sent().size(), 5u) << "nothing goes out on a closed port";
}
