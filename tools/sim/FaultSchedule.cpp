#include "sim/FaultSchedule.h"

#include <algorithm>

namespace orvex::sim {

std::optional<FaultRule> FaultSchedule::next(std::uint8_t command)
{
    const int occurrence = ++received_[command];
    const auto rule = std::find_if(rules_.begin(), rules_.end(), [&](const FaultRule& r) {
        return r.command == command && (r.occurrence == 0 || r.occurrence == occurrence);
    });
    if (rule == rules_.end())
        return std::nullopt;
    return *rule;
}

} // namespace orvex::sim
