#pragma once

#include "SimulatedUnit.h"

#include <array>
#include <optional>
#include <vector>

namespace orvex::sim {

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
