#pragma once

#include "sim/FlashMemory.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace orvex::sim {

// Status bytes the unit answers with; every value but Ok is a refusal.
enum class UnitStatus : std::uint8_t {
    Ok = 0x00,
    PowerOff = 0x10,       // the target's programming power is off
    NoTransfer = 0x11,     // a block or end request without its init
    BadBlock = 0x12,       // block header, count or length out of range
    Mismatch = 0x13,       // verify: the flash holds other bytes
    NotBlank = 0x14,       // blank test: some byte is not 0xFF
    UnknownCommand = 0x15, // a command code the unit does not know
};

// What the unit does to one chosen request instead of answering it normally.
enum class FaultAction {
    Refuse,       // reply with a non-zero status byte (value)
    Silent,       // do the work, but the reply is lost
    BadCrc,       // the reply's CRC byte is wrong
    WrongCommand, // the reply carries command byte value (meant for read blocks)
};

// Requests are counted per command from the unit's start, so "the third
// program block" means the third one the unit ever received, whatever
// happened in between.
struct FaultRule {
    std::uint8_t command = 0;
    int occurrence = 0; // 1 for the first request of that command; 0 for every one
    FaultAction action = FaultAction::Refuse;
    std::uint8_t value = 1; // status byte for Refuse, command byte for WrongCommand
};

struct UnitOptions {
    std::array<char, 3> versionChars{'1', '2', '0'};
    std::chrono::milliseconds eraseTime{0}; // the unit's own work for erase and blank test
    std::chrono::milliseconds blockTime{0}; // for each program, verify or read block
    int noiseBytes = 0;                     // bytes that are not 0xAA, sent before every reply
    std::vector<FaultRule> faults;
    bool poweredAtStart = false; // a real unit starts with the target unpowered
    // The log is for tests; a unit serving for hours would only grow with it.
    bool keepRequestLog = true;
};

// One request as the unit received it.
struct ReceivedRequest {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;
};

// What the unit sends back for one request, and how long it works before.
struct UnitReply {
    std::vector<std::uint8_t> bytes; // noise, then the frame; empty when silent
    std::chrono::milliseconds workTime{0};
};

// The programmer unit's side of the protocol, without any I/O: a 131072-byte
// flash that programming can only clear bits of, a power switch, and the
// transactions of program, verify and read. Thread-safe, so a test can look at
// the flash and the request log while a server thread drives the unit.
// Requests are logged and counted for faults whatever their fate; when several
// fault rules name the same request, the first one added applies.
class SimulatedUnit {
public:
    static constexpr int kFlashSize = 131072;
    static constexpr int kBlockSize = 64;

    explicit SimulatedUnit(UnitOptions options = {});

    UnitReply handleRequest(std::uint8_t command, std::span<const std::uint8_t> payload);

    std::vector<std::uint8_t> flash() const;
    // Loads contents from address 0, the rest erased; bytes beyond the flash are dropped.
    void setFlash(std::span<const std::uint8_t> contents);
    bool powered() const;
    std::vector<ReceivedRequest> requests() const;
    void clearRequests();
    void addFault(FaultRule rule);

private:
    enum class Transfer { None, Program, Verify, Read };
    enum class Phase { Init, Block, End };
    struct TransferStep {
        Transfer transfer;
        Phase phase;
    };
    // A reply frame and the time the unit worked for it.
    struct Answer;

    static std::optional<TransferStep> findTransferStep(std::uint8_t command);
    static Answer statusAnswer(std::uint8_t command, UnitStatus status, std::chrono::milliseconds workTime = {});
    Answer carryOut(std::uint8_t command, std::span<const std::uint8_t> payload);
    Answer switchPower(std::uint8_t command, bool on);
    Answer eraseFlash(std::uint8_t command);
    Answer blankTest(std::uint8_t command);
    Answer transferStep(std::uint8_t command, const TransferStep& step, std::span<const std::uint8_t> payload);
    Answer transferBlock(std::uint8_t command, Transfer transfer, std::span<const std::uint8_t> payload);
    UnitReply deliver(const Answer& answer, const std::optional<FaultRule>& fault) const;
    // Counts one more request of command; the first rule that names it, if any.
    std::optional<FaultRule> nextFault(std::uint8_t command);

    mutable std::mutex mutex_;
    UnitOptions options_;
    FlashMemory flash_;
    std::vector<FaultRule> faults_;
    std::array<int, 256> receivedPerCommand_{};
    bool powered_ = false;
    Transfer openTransfer_ = Transfer::None;
    std::vector<ReceivedRequest> requests_;
};

} // namespace orvex::sim
