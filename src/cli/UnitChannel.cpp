#include "cli/UnitChannel.h"

#include "cli/OutputLock.h"
#include "cli/SerialPorts.h"
#include "link/AdapterSerial.h"
#include "records/RecordKeeping.h"

#include <QUuid>

#include <cerrno>
#include <cstring>

namespace orvex::cli {

namespace {

int exitStatusOf(const RunFinished& finished)
{
    if (!finished.ok())
        return kExitProcedureFailed;
    // A read whose data did not reach its file has lost what it was for.
    return finished.readBackLost() ? kExitReadBackNotWritten : kExitSuccess;
}

std::optional<std::string> readBackFileOf(const CliOptions& options, const std::string& port)
{
    if (!options.readBackFile)
        return std::nullopt;
    return withPortName(*options.readBackFile, port);
}

// With the read-back on standard output, the status lines step aside.
bool readBackToStdout(const CliOptions& options)
{
    return options.readBackFile == kStandardOutputName;
}

std::string shortDigest(const std::string& sha256)
{
    return sha256.substr(0, 12);
}

} // namespace

UnitChannel::UnitChannel(const RunPlan& plan, std::string port, std::unique_ptr<RunRecorder> recorder)
    : plan_(plan), port_(std::move(port)), device_(resolvePortDevice(port_, plan.configuredPorts)),
      readBackFile_(readBackFileOf(plan.options, port_)), recorder_(std::move(recorder)), image_(plan.image),
      console_(readBackToStdout(plan.options) ? stderr : stdout, stderr, readBackFile_),
      json_(stdout, {port_, device_.device, exitStatusOf}), engine_(console_, waiter_)
{
    console_.setShowingLines(!plan.options.json);
    if (plan.severalUnits)
        console_.setLinePrefix(port_ + ": ");
}

UnitChannel::~UnitChannel()
{
    if (workerStarted_)
        engine_.stop();
}

std::optional<Refusal> UnitChannel::prepare()
{
    // A job's read-back path is known, and checked, once its number is.
    if (readBackFile_ && !plan_.job)
        if (auto refusal = checkReadBackTarget(*readBackFile_))
            return refusal;
    if (!plan_.options.traceFile)
        return std::nullopt;
    const std::string tracePath = withPortName(*plan_.options.traceFile, port_);
    trace_ = TraceFile::create(tracePath);
    if (!trace_)
        return Refusal{kExitUsage,
                       translated(ORVEX_TEXT("UnitChannel", "cannot write the trace to %1: %2; nothing was sent"),
                                  {tracePath, std::strerror(errno)})};
    return std::nullopt;
}

void UnitChannel::startWorker()
{
    engine_.addObserver(console_);
    if (plan_.options.json)
        engine_.addObserver(json_);
    // Before the waiter: the record is written when the run's end is seen.
    if (recorder_)
        engine_.addObserver(*recorder_);
    engine_.addObserver(waiter_);
    engine_.setTrace(trace_.get());
    engine_.setPortDevice(device_.device);
    if (device_.failure)
        return;
    engine_.start();
    workerStarted_ = true;
}

std::optional<Refusal> UnitChannel::open(RecordKeeping& records)
{
    if (device_.failure)
        return Refusal{kExitPortNotOpened, translated(ORVEX_TEXT("UnitChannel", "cannot open serial port %1: %2"),
                                                      {port_, *device_.failure})};
    if (const WorkerWaiter::PortState port = waiter_.waitForPort(); !port.open)
        return Refusal{kExitPortNotOpened, translated(ORVEX_TEXT("UnitChannel", "cannot open serial port %1 (%2): %3"),
                                                      {port_, device_.device, port.openFailure})};
    context_.runId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    context_.port = port_;
    context_.device = device_.device;
    context_.adapterSerial = adapterSerialNumber(device_.device);
    if (!plan_.job)
        return std::nullopt;
    context_.job = plan_.job->name;
    if (auto refusal = takeSerial(records))
        return refusal;
    if (auto refusal = fixJobReadBack())
        return refusal;
    printJobLine();
    return std::nullopt;
}

std::optional<Refusal> UnitChannel::takeSerial(RecordKeeping& records)
{
    const Job& job = *plan_.job;
    if (!job.serial)
        return std::nullopt;
    auto taken = records.takeSerial(job.name, *job.serial);
    if (const auto* reason = std::get_if<std::string>(&taken))
        return Refusal{kExitRecords, translated(kJobRefused, {job.name, *reason})};
    context_.serial = std::get<std::int64_t>(taken);
    context_.reuseSerialOnFailure = job.serial->reuseOnFailure;
    image_ = numberedImage(*image_, *job.serial, *context_.serial);
    return std::nullopt;
}

std::optional<Refusal> UnitChannel::fixJobReadBack()
{
    if (!readBackFile_)
        return std::nullopt;
    readBackFile_ = expandReadBackPattern(*readBackFile_, plan_.job->name, context_.serial, context_.runId);
    if (auto refusal = checkReadBackTarget(*readBackFile_))
        return refusal;
    console_.setReadBackFile(readBackFile_);
    return std::nullopt;
}

void UnitChannel::printJobLine() const
{
    const Job& job = *plan_.job;
    const std::string firmware = shortDigest(job.sha256);
    const std::string line = context_.serial
                                 ? translated(ORVEX_TEXT("UnitChannel", "Job %1, firmware %2, serial %3"),
                                              {job.name, firmware, std::to_string(*context_.serial)})
                                 : translated(ORVEX_TEXT("UnitChannel", "Job %1, firmware %2"), {job.name, firmware});
    const std::lock_guard lock(outputLock());
    std::fprintf(plan_.options.json || readBackToStdout(plan_.options) ? stderr : stdout, "%s%s\n",
                 plan_.severalUnits ? (port_ + ": ").c_str() : "", line.c_str());
    std::fflush(nullptr);
}

void UnitChannel::startRun()
{
    if (recorder_)
        recorder_->prepareRun(context_);
    engine_.requestRun({plan_.options.stepSet, image_});
}

int UnitChannel::finish()
{
    const RunFinished finished = waiter_.waitForRunEnd();
    engine_.stop();
    workerStarted_ = false;
    return exitStatusWithRecord(exitStatusOf(finished));
}

// A run that passed but left no record has not done its whole job on a
// production line.
int UnitChannel::exitStatusWithRecord(int status) const
{
    if (!recorder_)
        return status;
    const std::optional<RecordOutcome> outcome = recorder_->lastOutcome();
    if (!outcome || !outcome->failure)
        return status;
    const std::lock_guard lock(outputLock());
    std::fprintf(
        stderr, "orvex-cli: %s%s\n", plan_.severalUnits ? (port_ + ": ").c_str() : "",
        translated(ORVEX_TEXT("UnitChannel", "the record of this run could not be written: %1"), {*outcome->failure})
            .c_str());
    return status == kExitSuccess ? kExitRecords : status;
}

int UnitChannel::refuse(const Refusal& refusal)
{
    if (workerStarted_) {
        engine_.stop();
        workerStarted_ = false;
    }
    {
        const std::lock_guard lock(outputLock());
        if (!plan_.severalUnits || plan_.options.json)
            std::fprintf(stderr, "orvex-cli: %s\n", refusal.message.c_str());
        else
            std::fprintf(stdout, "%s: %s\n", port_.c_str(), refusal.message.c_str());
        std::fflush(nullptr);
    }
    if (plan_.options.json)
        JsonEventWriter::writeRefusal(stdout, port_, refusal.message, refusal.exitStatus);
    return refusal.exitStatus;
}

} // namespace orvex::cli
