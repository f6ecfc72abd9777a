#pragma once

#include "cli/CliOptions.h"
#include "cli/Preflight.h"
#include "records/RecordsTarget.h"

#include <variant>

namespace orvex::cli {

// Where this run's records go: --records, else RECORDS in config.cfg, else
// runs.sqlite beside config.cfg (see defaultRecordsTarget). A URL that does
// not parse is refused before anything is sent.
std::variant<RecordsTarget, Refusal> chooseRecordsTarget(const CliOptions& options);

// --report (the yield) and --export-records (every row): read the records
// a run writes and print them.
int printRecords(const CliOptions& options, bool exporting);

// --write-job: the job file for the given steps and firmware.
int writeJob(const CliOptions& options);

} // namespace orvex::cli
