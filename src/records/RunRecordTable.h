#pragma once

#include "records/RunRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace orvex {

class RecordsConnection;

// Writes the whole row of a run: inserts it, or replaces the row of the
// same run_id while that one is still incomplete. A finished row is final,
// so a late copy of its incomplete start, or the same row sent twice,
// changes nothing. The reason, or none on success.
std::optional<std::string> saveRecord(RecordsConnection& connection, const RunRecord& record);

// Which rows a report or an export takes.
struct RecordFilter {
    std::optional<std::string> since; // YYYY-MM-DD: runs started on that day or later (UTC)
    std::optional<std::string> job;
    std::optional<int> limit; // the oldest that many
};

// The rows, oldest first; none when the query fails (failure says why).
std::optional<std::vector<RunRecord>> loadRecords(RecordsConnection& connection, const RecordFilter& filter,
                                                  std::string& failure);

// Deletes a run's row only as it was read (its result unchanged), so a row
// completed meanwhile stays.
std::optional<std::string> deleteRecordAsRead(RecordsConnection& connection, const RunRecord& record);

} // namespace orvex
