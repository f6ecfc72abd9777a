#include "support/DeviceOnMemoryUnit.h"

#include <random>

using namespace orvex;
using test::RecordingNotifier;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using Kind = RecordingNotifier::Kind;

namespace {

Bytes randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

struct BlockHeader {
    int index;
    int count;
    std::uint32_t address;
};

BlockHeader headerOf(const sim::ReceivedRequest& request)
{
    const auto& p = request.payload;
    return {p[0] | p[1] << 8, p[2] | p[3] << 8,
            static_cast<std::uint32_t>(p[4] | p[5] << 8 | p[6] << 16) | static_cast<std::uint32_t>(p[7]) << 24};
}

} // namespace

class ImageTransfer : public test::DeviceOnMemoryUnit {
protected:
    Bytes image;

    void SetUp() override
    {
        DeviceOnMemoryUnit::SetUp();
        ASSERT_EQ(device.powerOn(), 1);
        unit.clearRequests();
    }

    void loadImage(Bytes bytes) { image = std::move(bytes); }

    std::vector<sim::ReceivedRequest> requestsOf(CommandCode command) const
    {
        std::vector<sim::ReceivedRequest> found;
        for (const auto& r : unit.requests())
            if (r.command == test::commandByte(command))
                found.push_back(r);
        return found;
    }

    std::string programLine() const { return notifier.texts().snapshot().stepLine(ProcedureStep::Program); }
};

TEST_F(ImageTransfer, HundredBytesGoAsTwoBlocksWithProgress)
{
    loadImage(randomBytes(100, 1));
    EXPECT_EQ(device.programFlash(image), 1);

    EXPECT_EQ(receivedCommands(), (Bytes{0x04, 0x05, 0x05, 0x06}));
    const auto blocks = requestsOf(CommandCode::CmdProgramBlock);
    const BlockHeader first = headerOf(blocks[0]);
    const BlockHeader second = headerOf(blocks[1]);
    EXPECT_EQ((std::tuple{first.index, first.count, first.address}), (std::tuple{0, 64, 0u}));
    EXPECT_EQ((std::tuple{second.index, second.count, second.address}), (std::tuple{1, 36, 64u}));
    EXPECT_EQ(blocks[1].payload.size(), 8u + 36u);

    EXPECT_EQ(notifier.stepLineHistory(ProcedureStep::Program),
              (Strings{"Programowanie ", "Programowanie : 64/100", "Programowanie : 100/100", "Programowanie ... OK"}));
    EXPECT_EQ(notifier.mainStatusHistory(), (Strings{"Programowanie ...", "Programowanie ... OK"}));
    const auto ranges = notifier.eventsOf(Kind::ProgressRange);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].second, 100);
    EXPECT_EQ(notifier.progressPositions(), (std::vector<int>{0, 64, 100}));

    const Bytes flash = unit.flash();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    EXPECT_EQ(flash[100], 0xFF);
}

TEST_F(ImageTransfer, ExactMultipleOfTheBlockSizeSendsNoEmptyBlock)
{
    loadImage(randomBytes(128, 2));
    EXPECT_EQ(device.programFlash(image), 1);
    EXPECT_EQ(requestsOf(CommandCode::CmdProgramBlock).size(), 2u);
}

TEST_F(ImageTransfer, EmptyImageSendsOnlyInitAndEnd)
{
    image.clear();
    EXPECT_EQ(device.verifyFlash(image), 1);
    EXPECT_EQ(receivedCommands(), (Bytes{0x09, 0x0B}));
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Verify), "Weryfikacja ... OK");
}

TEST_F(ImageTransfer, RefusedThirdBlockNamesItsAddressAndSkipsTheEnd)
{
    loadImage(randomBytes(300, 3));
    addFault(CommandCode::CmdProgramBlock, sim::FaultAction::Refuse, 3, 0x09);
    EXPECT_EQ(device.programFlash(image), 0);
    EXPECT_EQ(programLine(), "Programowanie ERROR at 128");
    EXPECT_EQ(notifier.texts().snapshot().mainStatus, "Programowanie ERROR at 128");
    EXPECT_EQ(receivedCommands(), (Bytes{0x04, 0x05, 0x05, 0x05}));
}

TEST_F(ImageTransfer, UnansweredOrGarbledBlockIsACommunicationError)
{
    loadImage(randomBytes(200, 4));
    addFault(CommandCode::CmdProgramBlock, sim::FaultAction::Silent, 2);
    EXPECT_EQ(device.programFlash(image), 0);
    EXPECT_EQ(programLine(), "Programowanie ERR komunikacji");

    addFault(CommandCode::CmdVerifyBlock, sim::FaultAction::BadCrc, 1);
    EXPECT_EQ(device.verifyFlash(image), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Verify), "Weryfikacja ERR komunikacji");
}

TEST_F(ImageTransfer, RefusedInitSendsNoBlock)
{
    loadImage(randomBytes(100, 5));
    addFault(CommandCode::CmdProgramInit, sim::FaultAction::Refuse, 1, 0x01);
    EXPECT_EQ(device.programFlash(image), 0);
    EXPECT_EQ(programLine(), "Programowanie INIT ERROR");
    EXPECT_EQ(receivedCommands(), (Bytes{0x04}));
}

TEST_F(ImageTransfer, UnansweredInitLetsTheBlocksDecide)
{
    loadImage(randomBytes(100, 6));
    addFault(CommandCode::CmdProgramInit, sim::FaultAction::Silent, 1);
    EXPECT_EQ(device.programFlash(image), 1);
    EXPECT_EQ(programLine(), "Programowanie ... OK");
}

TEST_F(ImageTransfer, EndRefusedOrUnanswered)
{
    loadImage(randomBytes(70, 7));
    addFault(CommandCode::CmdProgramEnd, sim::FaultAction::Refuse, 1, 0x04);
    addFault(CommandCode::CmdProgramEnd, sim::FaultAction::Silent, 2);
    EXPECT_EQ(device.programFlash(image), 0);
    EXPECT_EQ(programLine(), "Programowanie End ERROR");
    EXPECT_EQ(device.programFlash(image), 0);
    EXPECT_EQ(programLine(), "Programowanie ERR komunikacji");
}

TEST_F(ImageTransfer, VerifySendsExactlyWhatProgramSent)
{
    loadImage(randomBytes(1000, 8));
    ASSERT_EQ(device.programFlash(image), 1);
    ASSERT_EQ(device.verifyFlash(image), 1);
    const auto programmed = requestsOf(CommandCode::CmdProgramBlock);
    const auto verified = requestsOf(CommandCode::CmdVerifyBlock);
    ASSERT_EQ(programmed.size(), 16u);
    ASSERT_EQ(verified.size(), programmed.size());
    for (std::size_t i = 0; i < programmed.size(); ++i)
        EXPECT_EQ(verified[i].payload, programmed[i].payload) << "block " << i;
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Verify), "Weryfikacja ... OK");
}

TEST_F(ImageTransfer, VerifyOfDifferentFlashFailsAtTheFirstDifferingBlock)
{
    loadImage(randomBytes(256, 9));
    Bytes flash = image;
    flash[200] ^= 0x01;
    unit.setFlash(flash);
    EXPECT_EQ(device.verifyFlash(image), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Verify), "Weryfikacja ERROR at 192");
}

TEST_F(ImageTransfer, ProgressMovesBeforeTheLineIsShown)
{
    loadImage(randomBytes(64, 10));
    ASSERT_EQ(device.programFlash(image), 1);
    const auto events = notifier.events();
    const auto position = std::find_if(events.begin(), events.end(),
                                       [](const auto& e) { return e.kind == Kind::ProgressPosition && e.first == 64; });
    ASSERT_NE(position, events.end());
    ASSERT_NE(position + 1, events.end());
    EXPECT_EQ((position + 1)->kind, Kind::Refresh);
    EXPECT_EQ((position + 1)->texts.stepLine(ProcedureStep::Program), "Programowanie : 64/64");
}

class FlashRead : public ImageTransfer {};

TEST_F(FlashRead, WholeFlashComesBackByteForByte)
{
    const Bytes contents = randomBytes(sim::SimulatedUnit::kFlashSize, 11);
    unit.setFlash(contents);
    EXPECT_EQ(device.readFlash(), 1);
    EXPECT_TRUE(device.readBackReady());
    ASSERT_EQ(device.readBackLength(), 131072);
    EXPECT_TRUE(std::equal(contents.begin(), contents.end(), device.readBackData().begin()));

    const auto blocks = requestsOf(CommandCode::CmdReadBlock);
    ASSERT_EQ(blocks.size(), 2048u);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const BlockHeader h = headerOf(blocks[i]);
        ASSERT_EQ((std::tuple{h.index, h.count, h.address}),
                  (std::tuple{static_cast<int>(i), 64, static_cast<std::uint32_t>(i * 64)}));
    }
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt ... OK");
    EXPECT_EQ(notifier.mainStatusHistory().front(), "Odczyt  ...");
    EXPECT_EQ(notifier.progressPositions().back(), 131072);
}

TEST_F(FlashRead, LineIsShownBeforeTheProgressMoves)
{
    ASSERT_EQ(device.readFlash(), 1);
    const auto events = notifier.events();
    const auto refresh = std::find_if(events.begin(), events.end(), [](const auto& e) {
        return e.kind == Kind::Refresh && e.texts.stepLine(ProcedureStep::Read) == "Odczyt : 64/131072";
    });
    ASSERT_NE(refresh, events.end());
    ASSERT_NE(refresh + 1, events.end());
    EXPECT_EQ((refresh + 1)->kind, Kind::ProgressPosition);
    EXPECT_EQ((refresh + 1)->first, 64);
}

TEST_F(FlashRead, ReplyToAnotherCommandFailsAndReleasesTheData)
{
    ASSERT_EQ(device.readFlash(), 1);
    // The unit counts requests from its start: the second block of the second read.
    addFault(CommandCode::CmdReadBlock, sim::FaultAction::WrongCommand, 2048 + 2, 0x05);
    EXPECT_EQ(device.readFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt ERR odczytu");
    EXPECT_FALSE(device.readBackReady());
    EXPECT_EQ(device.readBackLength(), 0);
    EXPECT_TRUE(device.readBackData().empty());
}

// A reply that claims success but is too short to hold its block would
// leave the rest of the previous read's frame in the buffer.
TEST_F(FlashRead, ReplyTooShortForItsBlockFailsAndReleasesTheData)
{
    unit.setFlash(randomBytes(sim::SimulatedUnit::kFlashSize, 12));
    ASSERT_EQ(device.readFlash(), 1);
    // The third block of the second read: a reply with status 0 and no data.
    addFault(CommandCode::CmdReadBlock, sim::FaultAction::Refuse, 2048 + 3, 0x00);
    EXPECT_EQ(device.readFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt ERR odczytu");
    EXPECT_EQ(requestsOf(CommandCode::CmdReadBlock).size(), 2048u + 3u) << "nothing more is asked";
    EXPECT_FALSE(device.readBackReady());
    EXPECT_TRUE(device.readBackData().empty());
}

TEST_F(FlashRead, RefusedInitSetsNoProgressRange)
{
    addFault(CommandCode::CmdReadInit, sim::FaultAction::Refuse, 1, 0x01);
    EXPECT_EQ(device.readFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt INIT ERROR");
    EXPECT_TRUE(notifier.eventsOf(Kind::ProgressRange).empty());
    EXPECT_EQ(device.readBackLength(), 0);
}

TEST_F(FlashRead, SilentBlockOrRefusedEndFails)
{
    addFault(CommandCode::CmdReadBlock, sim::FaultAction::Silent, 5);
    EXPECT_EQ(device.readFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt ERR komunikacji");
    addFault(CommandCode::CmdReadEnd, sim::FaultAction::Refuse, 1, 0x03);
    EXPECT_EQ(device.readFlash(), 0);
    EXPECT_EQ(notifier.texts().snapshot().stepLine(ProcedureStep::Read), "Odczyt End ERROR");
    EXPECT_FALSE(device.readBackReady());
}
