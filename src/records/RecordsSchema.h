#pragma once

#include <optional>
#include <string>

namespace orvex {

class RecordsConnection;

// The version of the tables this program writes.
inline constexpr int kRecordsSchemaVersion = 1;

// Creates the tables in an empty database, or brings an older one up to
// kRecordsSchemaVersion, under the lock that keeps two programs from doing
// it at once. Refuses a database made by a newer program. The reason, or
// none on success.
std::optional<std::string> ensureCurrentSchema(RecordsConnection& connection);

} // namespace orvex
