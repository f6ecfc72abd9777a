#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvex {

// One row of the runs table: what a run was, where, by whom, with what, and
// how it ended. A row is written as "incomplete" before the first request
// and completed when the run ends.
struct RunRecord {
    std::string runId; // a UUID
    std::string startedAt;
    std::optional<std::string> finishedAt; // UTC, ISO 8601 with milliseconds
    std::string station;
    std::string operatorName;
    std::string program;
    std::string programVersion;
    std::string port;
    std::string device;
    std::optional<std::string> adapterSerial;
    std::optional<std::string> unitVersion;
    std::optional<std::string> job;
    std::optional<std::string> firmwarePath;
    std::optional<std::string> firmwareSha256;
    std::optional<std::string> imageSha256;
    std::optional<std::int64_t> imageSize;
    std::string steps;                 // comma-separated step names
    std::string stepResults;           // JSON array: name, ok, outcome, text of each step
    std::string result = "incomplete"; // ok, failed or incomplete
    std::optional<std::string> failedStep;
    std::optional<std::string> message;
    std::optional<double> seconds;
    std::optional<std::string> readbackPath;
    std::optional<std::string> readbackSha256;
    std::optional<std::int64_t> serial;
    // A failed run's number that the next unit may take (SERIAL_ON_FAILURE=reuse).
    bool serialReusable = false;
};

} // namespace orvex
