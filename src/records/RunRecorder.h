#pragma once

#include "notify/RunEvents.h"
#include "records/RecordsTarget.h"
#include "records/RunRecord.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace orvex {

// What a front end knows about the next run before it asks for it.
struct RunContext {
    std::string runId; // a fresh UUID when empty
    std::string port;  // as the operator named it
    std::string device;
    std::optional<std::string> adapterSerial;
    std::optional<std::string> job;
    std::optional<std::int64_t> serial;
    bool reuseSerialOnFailure = false;
};

// How the record of a run fared, told once the run has ended.
struct RecordOutcome {
    RunRecord record;
    std::optional<std::string> failure; // why the record could not be written
};

// Keeps a record of every run in the local SQLite file (the records
// database, or the spool in front of a server): the row as "incomplete" at
// the run's start, before the first request, and the whole row at its end.
// Each write opens, uses and closes a connection on the worker's thread,
// between exchanges, so a run never waits for anything but the local disk.
// The front end holds a connection of its own meanwhile (RecordKeeping).
class RunRecorder final : public RunObserver {
public:
    using OutcomeListener = std::function<void(const RecordOutcome&)>;

    RunRecorder(RecordsTarget localFile, std::string program, std::string programVersion);

    // Before start(): called on the worker's thread after each run.
    void setOutcomeListener(OutcomeListener listener) { listener_ = std::move(listener); }
    // From the front end's thread, before it asks for the run.
    void prepareRun(RunContext context);

    void onRunEvent(const RunEvent& event) override;

    // The record of the last run that ended, and whether it was written.
    std::optional<RecordOutcome> lastOutcome() const;

private:
    void begin(const RunStarted& started);
    void addStep(const StepFinished& finished);
    void finish(const RunFinished& finished);
    std::optional<std::string> write();

    RecordsTarget localFile_;
    std::string program_;
    std::string programVersion_;
    OutcomeListener listener_;

    mutable std::mutex mutex_; // guards the two below, shared with the front end's thread
    RunContext nextRun_;
    std::optional<RecordOutcome> lastOutcome_;

    RunRecord record_; // worker's thread only
    bool reuseSerial_ = false;
    std::string stepResults_;
};

// The login name of the user this program runs as.
std::string operatorName();
// The current time, UTC, ISO 8601 with milliseconds.
std::string utcTimestamp();

} // namespace orvex
