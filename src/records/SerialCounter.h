#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace orvex {

class RecordsConnection;
struct SerialNumbering;

// Takes the next serial number of a job in one transaction that no other
// program taking a number can interleave with: with reuse, the lowest
// number a failed run gave back, else the job's next new one. A number
// once taken is never handed out again unless its run ended and failed.
// The number, or why none could be had (the range used up, the database).
std::variant<std::int64_t, std::string> takeSerial(RecordsConnection& connection, const std::string& job,
                                                   const SerialNumbering& numbering);

} // namespace orvex
