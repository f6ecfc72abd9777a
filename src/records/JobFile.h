#pragma once

#include "records/SerialNumber.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvex {

// A job locks a production procedure: the firmware (and the digest it had
// when the job was written), the steps, how the file is loaded, where the
// read-back goes, on which ports it may run, and how units are numbered.
// The file is key=value like config.cfg.
struct Job {
    std::string name;
    std::string firmwarePath; // resolved against the job file's folder
    std::string sha256;       // of the firmware file's bytes
    std::uint16_t stepSet = 0;
    bool lenient = false;
    // Resolved like the firmware; {job}, {serial} and {run_id} are filled in.
    std::optional<std::string> readBackPattern;
    std::vector<std::string> ports; // any when empty
    std::optional<SerialNumbering> serial;
};

// The job in the file at path, or why it cannot be used (an unknown or
// repeated key, a missing one, a value that does not parse).
std::variant<Job, std::string> readJobFile(const std::string& path);

// What --write-job puts into a new job file.
struct JobDraft {
    std::string name;
    std::string firmwarePath; // as given
    std::uint16_t stepSet = 0;
    bool lenient = false;
    std::optional<std::string> readBackPattern;
    std::vector<std::string> ports; // none: the job runs on whichever port it is given
};

// Writes the job with the firmware file's current SHA-256, its path relative
// to the job's folder. The reason, or none on success.
std::optional<std::string> writeJobFile(const std::string& path, const JobDraft& draft);

// The read-back path for one run of the job.
std::string expandReadBackPattern(const std::string& pattern, const std::string& job,
                                  const std::optional<std::int64_t>& serial, const std::string& runId);

} // namespace orvex
