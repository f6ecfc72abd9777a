#include "device/ProgrammerDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orvex {

namespace {

constexpr int kBlockHeaderSize = 8;
constexpr int kReadReplyLength = kBlockHeaderSize + ProgrammerDevice::kBlockSize;

void setBlockHeader(Frame& tx, int blockIndex, int dataCount, std::uint32_t address)
{
    tx.setPayloadU16(0, static_cast<std::uint16_t>(blockIndex));
    tx.setPayloadU16(2, static_cast<std::uint16_t>(dataCount));
    tx.setPayloadU32(4, address);
}

} // namespace

// Program and verify differ only in their step, their commands and what a
// refused block means.
struct ProgrammerDevice::ImageTransfer {
    RunStep step;
    CommandCode init;
    CommandCode block;
    CommandCode end;
    StepOutcome blockRefusal;
};

bool ProgrammerDevice::programFlash(std::span<const std::uint8_t> image)
{
    return sendImage({RunStep::Program, CommandCode::CmdProgramInit, CommandCode::CmdProgramBlock,
                      CommandCode::CmdProgramEnd, StepOutcome::BlockRefused},
                     image);
}

bool ProgrammerDevice::verifyFlash(std::span<const std::uint8_t> image)
{
    return sendImage({RunStep::Verify, CommandCode::CmdVerifyInit, CommandCode::CmdVerifyBlock,
                      CommandCode::CmdVerifyEnd, StepOutcome::Mismatch},
                     image);
}

bool ProgrammerDevice::sendImage(const ImageTransfer& transfer, std::span<const std::uint8_t> image)
{
    reportStart(transfer.step);
    reportProgress(transfer.step, 0, static_cast<int>(image.size()));
    if (initRefused(transfer.init))
        return reportEnd({transfer.step, StepOutcome::InitRefused});
    StepFinished blocks = sendImageBlocks(transfer, image);
    if (!blocks.ok())
        return reportEnd(std::move(blocks));
    return reportEnd(finishTransfer(transfer.step, transfer.end));
}

// An init that gets no valid reply does not stop the transfer: the first block
// then decides. Only an explicit refusal does.
bool ProgrammerDevice::initRefused(CommandCode initCommand)
{
    return exchangeWithoutPayload(initCommand) == ReceiveOutcome::Good && rx_.status() != 0;
}

StepFinished ProgrammerDevice::sendImageBlocks(const ImageTransfer& transfer, std::span<const std::uint8_t> image)
{
    const int size = static_cast<int>(image.size());
    int done = 0;
    for (int blockIndex = 0; done < size; ++blockIndex) {
        const int count = std::min(size - done, kBlockSize);
        tx_.setCommand(transfer.block);
        tx_.setLength(kBlockHeaderSize + count);
        setBlockHeader(tx_, blockIndex, count, static_cast<std::uint32_t>(done));
        std::memcpy(tx_.payloadData() + kBlockHeaderSize, image.data() + done, static_cast<std::size_t>(count));
        const ReceiveOutcome received = exchange();
        if (received != ReceiveOutcome::Good)
            return {transfer.step, lineFailure(received)};
        if (rx_.status() != 0) {
            // The address is the block's, from its 16-bit index on the wire.
            const auto address = static_cast<std::uint32_t>(static_cast<std::uint16_t>(blockIndex) * kBlockSize);
            return {transfer.step, transfer.blockRefusal, address};
        }
        done += count;
        reportProgress(transfer.step, done, size);
    }
    return {transfer.step};
}

StepFinished ProgrammerDevice::finishTransfer(RunStep step, CommandCode endCommand)
{
    const ReceiveOutcome received = exchangeWithoutPayload(endCommand);
    if (received != ReceiveOutcome::Good)
        return {step, lineFailure(received)};
    return {step, rx_.status() != 0 ? StepOutcome::EndRefused : StepOutcome::Ok};
}

bool ProgrammerDevice::readFlash()
{
    reportStart(RunStep::Read);
    if (!allocateReadBack())
        return reportEnd({RunStep::Read, StepOutcome::OutOfMemory});
    StepFinished finished{RunStep::Read, StepOutcome::InitRefused};
    if (!initRefused(CommandCode::CmdReadInit)) {
        finished = readAllBlocks();
        if (finished.ok())
            finished = finishTransfer(RunStep::Read, CommandCode::CmdReadEnd);
    }
    if (finished.ok())
        readBackReady_ = true;
    else
        releaseReadBack();
    return reportEnd(std::move(finished));
}

StepFinished ProgrammerDevice::readAllBlocks()
{
    reportProgress(RunStep::Read, 0, flashSize_);
    tx_.setCommand(CommandCode::CmdReadBlock);
    tx_.setLength(kBlockHeaderSize);
    for (int done = 0; done < flashSize_; done += kBlockSize) {
        setBlockHeader(tx_, done / kBlockSize, kBlockSize, static_cast<std::uint32_t>(done));
        const ReceiveOutcome received = exchange();
        if (received != ReceiveOutcome::Good)
            return {RunStep::Read, lineFailure(received)};
        // A reply too short to hold the block would leave bytes of an earlier
        // frame in the buffer; it is refused like a reply to another command.
        if (rx_.command() != static_cast<std::uint8_t>(CommandCode::CmdReadBlock) || rx_.length() < kReadReplyLength)
            return {RunStep::Read, StepOutcome::BadReadReply};
        std::memcpy(readBack_.data() + done, rx_.payloadData() + kBlockHeaderSize, kBlockSize);
        reportProgress(RunStep::Read, done + kBlockSize, flashSize_);
    }
    return {RunStep::Read};
}

bool ProgrammerDevice::allocateReadBack()
{
    releaseReadBack();
    try {
        readBack_.resize(static_cast<std::size_t>(flashSize_));
    } catch (const std::bad_alloc&) {
        return false;
    }
    readBackLength_ = flashSize_;
    return true;
}

void ProgrammerDevice::releaseReadBack()
{
    // Without data there is nothing ready to save, whatever an earlier read left.
    readBackReady_ = false;
    readBack_.clear();
    readBack_.shrink_to_fit();
    readBackLength_ = 0;
}

} // namespace orvex
