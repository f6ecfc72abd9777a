#pragma once

#include <optional>
#include <string>

namespace orvex::station {

// The job the station opened last, kept in station.cfg beside config.cfg, so
// that a line's PC opens it again at the start of the next shift.
std::optional<std::string> rememberedJob();
// The reason, when it could not be kept.
std::optional<std::string> rememberJob(const std::string& path);

} // namespace orvex::station
