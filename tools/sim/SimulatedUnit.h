#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace orvex::sim {

// What the unit does to one chosen request instead of answering it normally.
enum class FaultAction {
    Refuse,       // reply with a non-zero status byte (value)
    Silent,       // do the work, but the reply is lost
    BadCrc,       // the reply's CRC byte is wrong
    WrongCommand, // a read block is answered with command byte value
};

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
class SimulatedUnit {
public:
    static constexpr int kFlashSize = 131072;
    static constexpr int kBlockSize = 64;

    explicit SimulatedUnit(UnitOptions options = {});

    UnitReply handleRequest(std::uint8_t command, std::span<const std::uint8_t> payload);

    std::vector<std::uint8_t> flash() const;
    void setFlash(std::span<const std::uint8_t> contents); // the rest stays erased
    bool powered() const;
    std::vector<ReceivedRequest> requests() const;
    void clearRequests();
    void addFault(FaultRule rule);

private:
    // ... implementation-defined members
};

} // namespace orvex::sim
