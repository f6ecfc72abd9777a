#pragma once

#include "records/RunRecord.h"

#include <cstdio>
#include <string>
#include <vector>

namespace orvex {

// The yield of one day, job, firmware and port.
struct YieldRow {
    std::string day; // YYYY-MM-DD, UTC
    std::string job;
    std::string firmware; // the first 12 digits of its SHA-256
    std::string port;
    int units = 0; // every run, incomplete ones too
    int passed = 0;
    int failed = 0;
    double yieldPercent = 0;    // passed of units
    double medianSeconds = 0;   // of the runs that ended
    std::string topFailingStep; // the most frequent; the first in run order on a tie
};

// Rows ordered by day, job, firmware and port.
std::vector<YieldRow> yieldReport(const std::vector<RunRecord>& records);

enum class OutputFormat { Text, Csv, Json };

void printYieldReport(std::FILE* out, const std::vector<YieldRow>& rows, OutputFormat format);

// Every column of every row: CSV with a header line, or one JSON object a line.
void exportRecords(std::FILE* out, const std::vector<RunRecord>& records, OutputFormat format);

} // namespace orvex
