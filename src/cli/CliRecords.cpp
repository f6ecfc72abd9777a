#include "cli/CliRecords.h"

#include "records/JobFile.h"
#include "records/RecordKeeping.h"
#include "records/RunReport.h"
#include "settings/ProgramDirectory.h"

#include <cstdio>

namespace orvex::cli {

namespace {

int fail(const std::string& message, int status)
{
    std::fprintf(stderr, "orvex-cli: %s\n", message.c_str());
    return status;
}

OutputFormat outputFormatOf(CliOptions::Format format)
{
    switch (format) {
    case CliOptions::Format::Csv:
        return OutputFormat::Csv;
    case CliOptions::Format::Json:
        return OutputFormat::Json;
    case CliOptions::Format::Text:
        break;
    }
    return OutputFormat::Text;
}

} // namespace

std::variant<RecordsTarget, Refusal> chooseRecordsTarget(const CliOptions& options)
{
    deriveProgramDirectory();
    auto chosen = chosenRecordsTarget(options.records);
    if (const auto* reason = std::get_if<std::string>(&chosen))
        return Refusal{kExitUsage, translated(kNothingSent, {*reason})};
    return std::get<RecordsTarget>(chosen);
}

int printRecords(const CliOptions& options, bool exporting)
{
    auto chosen = chooseRecordsTarget(options);
    if (const auto* refusal = std::get_if<Refusal>(&chosen))
        return fail(refusal->message, refusal->exitStatus);
    RecordKeeping records(std::get<RecordsTarget>(chosen), "orvex-cli", ORVEX_VERSION);
    std::string failure;
    const auto rows = records.loadRecords(RecordFilter{options.since, options.job, {}}, failure);
    if (!rows)
        return fail(failure, kExitRecords);
    if (exporting)
        exportRecords(stdout, *rows, outputFormatOf(options.format));
    else
        printYieldReport(stdout, yieldReport(*rows), outputFormatOf(options.format));
    return kExitSuccess;
}

int writeJob(const CliOptions& options)
{
    // The ports given become the job's line of units; COM1 by default does not.
    const JobDraft draft{*options.jobName,     *options.firmwareFile,
                         options.stepSet,      options.lenient,
                         options.readBackFile, options.portGiven ? options.ports : std::vector<std::string>{}};
    if (const auto failure = writeJobFile(*options.writeJobFile, draft))
        return fail(*failure, kExitUsage);
    return kExitSuccess;
}

} // namespace orvex::cli
