#include "device/DeviceTexts.h"
#include "device/ProgrammerDevice.h"
#include "device/TextFormat.h"

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

// Program and verify differ only in their step, their words and their commands.
struct ProgrammerDevice::ImageTransfer {
    ProcedureStep step;
    const char* startText;
    CommandCode init;
    CommandCode block;
    CommandCode end;
};

int ProgrammerDevice::programFlash()
{
    return sendImage({ProcedureStep::Program, DeviceTexts::kProgramming, CommandCode::CmdProgramInit,
                      CommandCode::CmdProgramBlock, CommandCode::CmdProgramEnd});
}

int ProgrammerDevice::verifyFlash()
{
    return sendImage({ProcedureStep::Verify, DeviceTexts::kVerifying, CommandCode::CmdVerifyInit,
                      CommandCode::CmdVerifyBlock, CommandCode::CmdVerifyEnd});
}

int ProgrammerDevice::sendImage(const ImageTransfer& transfer)
{
    std::string lineText = transfer.startText;
    showStart(transfer.step, lineText, DeviceTexts::kImageTransferRunning);
    notifier_.setProgressRange(0, imageSize_);
    notifier_.setProgressPosition(0);

    const bool ok = !initRefused(transfer.init, lineText) && sendImageBlocks(transfer, lineText)
        && finishTransfer(transfer.end, lineText);

    showResult(transfer.step, lineText);
    return ok ? 1 : 0;
}

// An init that gets no valid reply does not stop the transfer: the first block
// then decides. Only an explicit refusal does.
bool ProgrammerDevice::initRefused(CommandCode initCommand, std::string& lineText)
{
    if (exchangeWithoutPayload(initCommand) && rx_.status() != 0) {
        lineText += DeviceTexts::kInitError;
        return true;
    }
    return false;
}

bool ProgrammerDevice::sendImageBlocks(const ImageTransfer& transfer, std::string& lineText)
{
    int done = 0;
    for (int blockIndex = 0; done < imageSize_; ++blockIndex) {
        const int count = std::min(imageSize_ - done, kBlockSize);
        tx_.setCommand(transfer.block);
        tx_.setLength(kBlockHeaderSize + count);
        setBlockHeader(tx_, blockIndex, count, static_cast<std::uint32_t>(done));
        std::memcpy(tx_.payloadData() + kBlockHeaderSize, imageData_ + done, static_cast<std::size_t>(count));
        sendFrame();
        if (!receiveFrame()) {
            lineText += DeviceTexts::kTransferCommunicationError;
            return false;
        }
        if (rx_.status() != 0) {
            // The address shown is the block's, from its 16-bit index on the wire.
            lineText += formatText(DeviceTexts::kBlockErrorAt, static_cast<std::uint16_t>(blockIndex) * kBlockSize);
            return false;
        }
        done += count;
        notifier_.setProgressPosition(done);
        notifier_.texts().setStepLine(transfer.step, lineText + formatText(DeviceTexts::kProgressSuffix, done, imageSize_));
        notifier_.postRefresh();
    }
    return true;
}

bool ProgrammerDevice::finishTransfer(CommandCode endCommand, std::string& lineText)
{
    if (!exchangeWithoutPayload(endCommand)) {
        lineText += DeviceTexts::kTransferCommunicationError;
        return false;
    }
    if (rx_.status() != 0) {
        lineText += DeviceTexts::kEndError;
        return false;
    }
    lineText += DeviceTexts::kTransferOk;
    return true;
}

int ProgrammerDevice::readFlash()
{
    std::string lineText = DeviceTexts::kReading;
    bool ok = allocateReadBack();
    if (!ok) {
        lineText += DeviceTexts::kOutOfMemory;
    } else {
        showStart(ProcedureStep::Read, lineText, DeviceTexts::kReadRunning);
        ok = !initRefused(CommandCode::CmdReadInit, lineText) && readAllBlocks(lineText)
            && finishTransfer(CommandCode::CmdReadEnd, lineText);
    }
    if (ok)
        readBackReady_ = true;
    else
        releaseReadBack();
    showResult(ProcedureStep::Read, lineText);
    return ok ? 1 : 0;
}

bool ProgrammerDevice::readAllBlocks(std::string& lineText)
{
    notifier_.setProgressRange(0, flashSize_);
    notifier_.setProgressPosition(0);
    tx_.setCommand(CommandCode::CmdReadBlock);
    tx_.setLength(kBlockHeaderSize);
    for (int done = 0; done < flashSize_; done += kBlockSize) {
        setBlockHeader(tx_, done / kBlockSize, kBlockSize, static_cast<std::uint32_t>(done));
        sendFrame();
        if (!receiveFrame()) {
            lineText += DeviceTexts::kTransferCommunicationError;
            return false;
        }
        // A reply too short to hold the block would leave bytes of an earlier
        // frame in the buffer; it is refused like a reply to another command.
        if (rx_.command() != static_cast<std::uint8_t>(CommandCode::CmdReadBlock) || rx_.length() < kReadReplyLength) {
            lineText += DeviceTexts::kReadReplyError;
            return false;
        }
        std::memcpy(readBack_.data() + done, rx_.payloadData() + kBlockHeaderSize, kBlockSize);
        notifier_.texts().setStepLine(ProcedureStep::Read,
            lineText + formatText(DeviceTexts::kProgressSuffix, done + kBlockSize, flashSize_));
        notifier_.postRefresh();
        notifier_.setProgressPosition(done + kBlockSize);
    }
    return true;
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
