#pragma once

#include "link/Frame.h"
#include "link/FrameLink.h"
#include "link/BytePort.h"
#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvex {

// The programmer unit as the worker thread sees it: the frames exchanged over
// a byte port that its owner opens, and the device operations a procedure is
// made of.
// Every operation reports its progress and outcome through the notifier and
// returns 1 for success, 0 for failure. Used by the worker thread only, except
// setImage, which the window calls between runs.
class ProgrammerDevice {
public:
    static constexpr int kBlockSize = 64;
    static constexpr int kFlashSize = 131072;

    ProgrammerDevice(BytePort& port, WorkerNotifier& notifier, int receiveTimeoutMs = FrameLink::kReceiveTimeoutMs);
    ProgrammerDevice(const ProgrammerDevice&) = delete;
    ProgrammerDevice& operator=(const ProgrammerDevice&) = delete;

    int sendFrame();
    bool receiveFrame();
    void drainInput();

    int queryVersion();
    int powerOn();
    int powerOff();
    int eraseFlash();
    int testBlank();

    // The image bytes stay owned by the caller, who must keep them unchanged
    // while a run may read them.
    void setImage(const std::uint8_t* data, int size);
    int programFlash();
    int verifyFlash();
    int readFlash();

    bool readBackReady() const { return readBackReady_; }
    void clearReadBackReady() { readBackReady_ = false; }
    std::span<const std::uint8_t> readBackData() const { return {readBack_.data(), static_cast<std::size_t>(readBackLength_)}; }
    int readBackLength() const { return readBackLength_; }
    int flashSize() const { return flashSize_; }

private:
    struct ImageTransfer;

    // One request without payload and its reply.
    bool exchangeWithoutPayload(CommandCode command);
    int switchPower(CommandCode command, const char* refusalText);
    int runWholeFlashCommand(ProcedureStep step, const char* startText, CommandCode command, bool keepOutcomeInMainStatus);
    int sendImage(const ImageTransfer& transfer);
    bool sendImageBlocks(const ImageTransfer& transfer, std::string& lineText);
    bool readAllBlocks(std::string& lineText);
    bool finishTransfer(CommandCode endCommand, std::string& lineText);
    bool initRefused(CommandCode initCommand, std::string& lineText);
    bool allocateReadBack();
    void releaseReadBack();
    void showResult(ProcedureStep step, const std::string& lineText);
    void showStart(ProcedureStep step, const std::string& lineText, const char* runningSuffix);

    WorkerNotifier& notifier_;
    bool readBackReady_ = false;
    int flashSize_ = kFlashSize;
    Frame tx_;
    Frame rx_;
    int imageSize_ = 0;
    const std::uint8_t* imageData_ = nullptr;
    std::vector<std::uint8_t> readBack_;
    int readBackLength_ = 0;
    FrameLink link_;
};

} // namespace orvex
