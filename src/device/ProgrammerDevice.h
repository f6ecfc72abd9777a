#pragma once

#include "link/BytePort.h"
#include "link/Frame.h"
#include "link/FrameLink.h"
#include "notify/RunEvents.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvex {

// The programmer unit as the worker thread sees it: the frames exchanged over
// a byte port that its owner opens, and the device operations a procedure is
// made of. Each operation tells the observer that its step started, how far
// its blocks got and how it ended, as data; it returns whether it succeeded.
// The words the operator reads are made from those events elsewhere.
// Worker thread only.
class ProgrammerDevice {
public:
    static constexpr int kBlockSize = 64;
    static constexpr int kFlashSize = 131072;
    // Whether an image of dataSize bytes can be programmed at all.
    static constexpr bool fitsFlash(int dataSize) { return dataSize <= kFlashSize; }

    ProgrammerDevice(BytePort& port, RunObserver& observer, int receiveTimeoutMs = FrameLink::kReceiveTimeoutMs);
    ProgrammerDevice(const ProgrammerDevice&) = delete;
    ProgrammerDevice& operator=(const ProgrammerDevice&) = delete;

    FrameLink& link() { return link_; }
    void drainInput() { link_.drainInput(); }

    bool queryVersion();
    bool powerOn();
    bool powerOff();
    bool eraseFlash();
    bool testBlank();
    // The bytes are only read, and only during the call.
    bool programFlash(std::span<const std::uint8_t> image);
    bool verifyFlash(std::span<const std::uint8_t> image);
    bool readFlash();

    bool readBackReady() const { return readBackReady_; }
    void clearReadBackReady() { readBackReady_ = false; }
    std::span<const std::uint8_t> readBackData() const
    {
        return {readBack_.data(), static_cast<std::size_t>(readBackLength_)};
    }
    int readBackLength() const { return readBackLength_; }
    int flashSize() const { return flashSize_; }

private:
    struct ImageTransfer;

    // One request without payload and its reply.
    ReceiveOutcome exchangeWithoutPayload(CommandCode command);
    ReceiveOutcome exchange();
    bool switchPower(RunStep step, CommandCode command);
    bool runWholeFlashCommand(RunStep step, CommandCode command, StepOutcome refusal);
    bool sendImage(const ImageTransfer& transfer, std::span<const std::uint8_t> image);
    StepFinished sendImageBlocks(const ImageTransfer& transfer, std::span<const std::uint8_t> image);
    StepFinished readAllBlocks();
    StepFinished finishTransfer(RunStep step, CommandCode endCommand);
    bool initRefused(CommandCode initCommand);
    bool allocateReadBack();
    void releaseReadBack();

    void reportStart(RunStep step) { observer_.onRunEvent(StepStarted{step}); }
    void reportProgress(RunStep step, int done, int total) { observer_.onRunEvent(StepProgress{step, done, total}); }
    bool reportEnd(StepFinished finished);

    RunObserver& observer_;
    bool readBackReady_ = false;
    int flashSize_ = kFlashSize;
    Frame tx_;
    Frame rx_;
    std::vector<std::uint8_t> readBack_;
    int readBackLength_ = 0;
    FrameLink link_;
};

// How a step ends when its exchange failed on the line.
StepOutcome lineFailure(ReceiveOutcome outcome);

} // namespace orvex
