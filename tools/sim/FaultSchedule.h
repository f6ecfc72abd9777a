#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvex::sim {

// What the unit does to one chosen request instead of answering it normally.
enum class FaultAction {
    Refuse,       // reply with a non-zero status byte (value)
    Silent,       // do the work, but the reply is lost
    BadCrc,       // the reply's CRC byte is wrong
    WrongCommand, // the reply carries command byte value (meant for read blocks)
};

struct FaultRule {
    std::uint8_t command = 0;
    int occurrence = 0; // 1 for the first request of that command; 0 for every one
    FaultAction action = FaultAction::Refuse;
    std::uint8_t value = 1; // status byte for Refuse, command byte for WrongCommand
};

// Decides which request gets which fault. Requests are counted per command
// from the unit's start, so "the third program block" means the third one the
// unit ever received, whatever happened in between.
class FaultSchedule {
public:
    void add(FaultRule rule) { rules_.push_back(rule); }
    // Counts one more request of command; the first rule that names it, if any.
    std::optional<FaultRule> next(std::uint8_t command);

private:
    std::vector<FaultRule> rules_;
    std::array<int, 256> received_{};
};

} // namespace orvex::sim
