#include "records/RunRecorder.h"

#include "records/RecordsConnection.h"
#include "records/RunRecordTable.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QSysInfo>
#include <QUuid>

#include <array>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace orvex {

namespace {

std::string lookUpOperatorName()
{
#ifndef _WIN32
    // The reentrant lookup: getpwuid's entry is one buffer for the whole process.
    passwd entry{};
    passwd* found = nullptr;
    std::array<char, 4096> strings{};
    if (::getpwuid_r(::geteuid(), &entry, strings.data(), strings.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return qEnvironmentVariable("USER").toStdString();
#else
    return qEnvironmentVariable("USERNAME").toStdString();
#endif
}

} // namespace

std::string operatorName()
{
    // Once per process: the recorders of several units ask at the start of
    // each run, each on its unit's thread.
    static const std::string name = lookUpOperatorName();
    return name;
}

std::string utcTimestamp()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
}

RunRecorder::RunRecorder(RecordsTarget localFile, std::string program, std::string programVersion)
    : localFile_(std::move(localFile)), program_(std::move(program)), programVersion_(std::move(programVersion))
{
}

void RunRecorder::prepareRun(RunContext context)
{
    std::lock_guard lock(mutex_);
    nextRun_ = std::move(context);
}

std::optional<RecordOutcome> RunRecorder::lastOutcome() const
{
    std::lock_guard lock(mutex_);
    return lastOutcome_;
}

void RunRecorder::onRunEvent(const RunEvent& event)
{
    if (const auto* started = std::get_if<RunStarted>(&event))
        begin(*started);
    else if (const auto* step = std::get_if<StepFinished>(&event))
        addStep(*step);
    else if (const auto* finished = std::get_if<RunFinished>(&event))
        finish(*finished);
}

void RunRecorder::begin(const RunStarted& started)
{
    RunContext context;
    {
        std::lock_guard lock(mutex_);
        context = std::exchange(nextRun_, RunContext{});
    }
    record_ = RunRecord{};
    record_.runId =
        context.runId.empty() ? QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString() : context.runId;
    record_.startedAt = utcTimestamp();
    record_.station = QSysInfo::machineHostName().toStdString();
    record_.operatorName = operatorName();
    record_.program = program_;
    record_.programVersion = programVersion_;
    record_.port = context.port;
    record_.device = context.device;
    record_.adapterSerial = context.adapterSerial;
    record_.job = context.job;
    record_.serial = context.serial;
    reuseSerial_ = context.reuseSerialOnFailure;
    QStringList steps;
    for (const RunStep step : started.steps)
        steps << stepName(step);
    record_.steps = steps.join(',').toStdString();
    record_.stepResults = "[]";
    stepResults_.clear();
    if (started.image) {
        const RunImage& image = *started.image;
        record_.firmwarePath = image.file.path;
        record_.firmwareSha256 = image.file.sha256;
        record_.imageSha256 = image.sha256;
        record_.imageSize = static_cast<std::int64_t>(image.bytes.size());
    }
    write(); // a failure here is tried again, with the whole row, at the end
}

void RunRecorder::addStep(const StepFinished& finished)
{
    const QJsonObject step{{"name", stepName(finished.step)},
                           {"ok", finished.ok()},
                           {"outcome", outcomeWord(finished.outcome)},
                           {"text", QString::fromStdString(finished.text)}};
    if (!stepResults_.empty())
        stepResults_ += ',';
    stepResults_ += QJsonDocument(step).toJson(QJsonDocument::Compact).toStdString();
    if (finished.step == RunStep::Detect && finished.unitVersion)
        record_.unitVersion = std::string(finished.unitVersion->begin(), finished.unitVersion->end());
}

void RunRecorder::finish(const RunFinished& finished)
{
    record_.finishedAt = utcTimestamp();
    record_.stepResults = "[" + stepResults_ + "]";
    record_.result = finished.ok() ? "ok" : "failed";
    if (finished.failedStep)
        record_.failedStep = stepName(*finished.failedStep);
    record_.message = finished.message;
    record_.seconds = finished.seconds;
    if (finished.readBack) {
        record_.readbackPath = finished.readBack->path;
        record_.readbackSha256 = finished.readBack->sha256;
    }
    // Only a run that ended and failed gives its number back: one that never
    // ended may have programmed it.
    record_.serialReusable = reuseSerial_ && record_.serial && !finished.ok();
    RecordOutcome outcome{record_, write()};
    {
        std::lock_guard lock(mutex_);
        lastOutcome_ = outcome;
    }
    if (listener_)
        listener_(outcome);
}

std::optional<std::string> RunRecorder::write()
{
    RecordsConnection connection(localFile_);
    if (connection.failure())
        return connection.failure();
    return saveRecord(connection, record_);
}

} // namespace orvex
