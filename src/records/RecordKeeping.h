#pragma once

#include "records/RecordsTarget.h"
#include "records/RunRecordTable.h"
#include "records/RunRecorder.h"
#include "records/SpoolForwarder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvex {

class RecordsConnection;
struct SerialNumbering;

// What a front end needs of the records: the recorder its engine reports
// to, the spool in front of a server and what forwards it, and the database
// that reports read and serial numbers are taken from.
class RecordKeeping {
public:
    RecordKeeping(RecordsTarget target, std::string program, std::string programVersion);
    ~RecordKeeping();

    bool enabled() const { return recorder_ != nullptr; }
    const RecordsTarget& target() const { return target_; }
    // Only when enabled.
    RunRecorder& recorder() { return *recorder_; }
    // Only when enabled: a recorder of its own for each further unit run at
    // the same time, writing to the same local file.
    std::unique_ptr<RunRecorder> newRecorder() const;

    // Before the engine starts: told on the worker's thread after each run.
    void setOutcomeListener(RunRecorder::OutcomeListener listener);
    // For a program that stays up: forwards the spool on a thread of its own.
    void startBackgroundForwarding();

    // On the calling thread: sends what the spool holds to the server (none
    // for an SQLite target).
    ForwardResult forwardSpool();
    // Takes the job's next number from the records database, after the
    // spool went to the server (a failed run's number may be in it).
    std::variant<std::int64_t, std::string> takeSerial(const std::string& job, const SerialNumbering& numbering);
    // The rows a report or export reads, spool forwarded first.
    std::optional<std::vector<RunRecord>> loadRecords(const RecordFilter& filter, std::string& failure);

private:
    bool hasSpool() const { return target_.kind == RecordsTarget::Kind::Postgres; }

    RecordsTarget target_;
    RecordsTarget localFile_;
    std::string program_;
    std::string programVersion_;
    // Open from construction to destruction on the front end's thread: an
    // SQLite file whose last connection closes folds its log back into the
    // file and syncs it several times over, which would cost each of the
    // recorder's writes as much as the write itself.
    std::unique_ptr<RecordsConnection> keeper_;
    std::unique_ptr<RunRecorder> recorder_;
    std::unique_ptr<BackgroundForwarder> forwarder_;
};

} // namespace orvex
