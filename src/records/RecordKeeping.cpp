#include "records/RecordKeeping.h"

#include "records/RecordsConnection.h"
#include "records/SerialCounter.h"

namespace orvex {

namespace {

RecordsTarget localFileFor(const RecordsTarget& target)
{
    if (target.kind != RecordsTarget::Kind::Postgres)
        return target;
    RecordsTarget spool;
    spool.kind = RecordsTarget::Kind::Sqlite;
    spool.sqlitePath = spoolPath();
    return spool;
}

} // namespace

RecordKeeping::RecordKeeping(RecordsTarget target, std::string program, std::string programVersion)
    : target_(std::move(target)), localFile_(localFileFor(target_)), program_(std::move(program)),
      programVersion_(std::move(programVersion))
{
    if (target_.kind == RecordsTarget::Kind::Off)
        return;
    keeper_ = std::make_unique<RecordsConnection>(localFile_);
    recorder_ = newRecorder();
}

RecordKeeping::~RecordKeeping() = default;

std::unique_ptr<RunRecorder> RecordKeeping::newRecorder() const
{
    return std::make_unique<RunRecorder>(localFile_, program_, programVersion_);
}

void RecordKeeping::setOutcomeListener(RunRecorder::OutcomeListener listener)
{
    if (!recorder_)
        return;
    recorder_->setOutcomeListener([this, listener = std::move(listener)](const RecordOutcome& outcome) {
        if (forwarder_)
            forwarder_->wake();
        if (listener)
            listener(outcome);
    });
}

void RecordKeeping::startBackgroundForwarding()
{
    if (!hasSpool())
        return;
    forwarder_ = std::make_unique<BackgroundForwarder>(localFile_, target_);
    forwarder_->start();
}

ForwardResult RecordKeeping::forwardSpool()
{
    return hasSpool() ? orvex::forwardSpool(localFile_, target_) : ForwardResult{};
}

std::variant<std::int64_t, std::string> RecordKeeping::takeSerial(const std::string& job,
                                                                  const SerialNumbering& numbering)
{
    if (!enabled())
        return std::string("serial numbers need the records database, and records are off");
    forwardSpool();
    RecordsConnection connection(target_);
    return orvex::takeSerial(connection, job, numbering);
}

std::optional<std::vector<RunRecord>> RecordKeeping::loadRecords(const RecordFilter& filter, std::string& failure)
{
    if (!enabled()) {
        failure = "records are off";
        return std::nullopt;
    }
    forwardSpool();
    RecordsConnection connection(target_);
    if (connection.failure()) {
        failure = *connection.failure();
        return std::nullopt;
    }
    return orvex::loadRecords(connection, filter, failure);
}

} // namespace orvex
