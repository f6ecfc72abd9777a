#include "station/StationChannel.h"

#include "engine/RunTexts.h"
#include "link/AdapterSerial.h"
#include "records/RecordKeeping.h"
#include "records/SerialNumber.h"
#include "station/StationJob.h"
#include "station/StationText.h"

#include <QUuid>

#include <filesystem>
#include <system_error>

namespace orvex::station {

namespace {

constexpr OperatorText kChannelBusy = ORVEX_TEXT("StationChannel", "Kanał jeszcze pracuje.");
constexpr OperatorText kNoPort = ORVEX_TEXT("StationChannel", "Nie można otworzyć portu %1: %2");
constexpr OperatorText kNoReadBackFolder = ORVEX_TEXT("StationChannel", "Nie ma folderu na odczyt: %1");
constexpr OperatorText kSerialRefused = ORVEX_TEXT("StationChannel", "Nie przydzielono numeru seryjnego: %1");
constexpr OperatorText kSaveFailed = ORVEX_TEXT("StationChannel", "Nie zapisano odczytu do %1: %2");
constexpr OperatorText kRecordLost = ORVEX_TEXT("StationChannel", "Nie zapisano przebiegu w bazie: %1");

bool folderExists(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() || std::filesystem::is_directory(folder, error);
}

} // namespace

StationChannel::StationChannel(std::string port, const PortDeviceMap& configuredPorts,
                               std::unique_ptr<RunRecorder> recorder)
    : port_(std::move(port)), configuredPorts_(configuredPorts), device_(resolvePortDevice(port_, configuredPorts)),
      adapterSerial_(device_.failure ? std::nullopt : adapterSerialNumber(device_.device)),
      recorder_(std::move(recorder)), engine_(*this, *this)
{
    // Before this channel: the record is written when the run's end is shown.
    if (recorder_)
        engine_.addObserver(*recorder_);
    engine_.addObserver(*this);
    engine_.setPortDevice(device_.device);
    if (device_.failure)
        state_.portProblem = *device_.failure;
}

StationChannel::~StationChannel()
{
    stop();
}

void StationChannel::start()
{
    if (device_.failure || workerStarted_)
        return;
    engine_.start();
    workerStarted_ = true;
}

void StationChannel::stop()
{
    if (!workerStarted_)
        return;
    engine_.stop();
    workerStarted_ = false;
}

std::optional<std::string> StationChannel::startRun(const StationJob& loaded, RecordKeeping& records)
{
    if (running())
        return translated(kChannelBusy);
    if (device_.failure && !resolvedNow())
        return refuse(fillText(kNoPort, port_, *device_.failure));
    RunContext context;
    std::shared_ptr<const RunImage> image = loaded.image;
    if (auto reason = prepareRun(loaded, records, context, image))
        return refuse(*reason);
    {
        const std::lock_guard lock(mutex_);
        state_.running = true;
        state_.lamp = LampState::Blue;
        state_.serial = context.serial;
        state_.result.clear();
        state_.stepLine.clear();
        state_.progressDone = 0;
        ++state_.version;
    }
    if (recorder_)
        recorder_->prepareRun(std::move(context));
    engine_.requestRun({loaded.job.stepSet, std::move(image)});
    return std::nullopt;
}

// A usb:SERIAL adapter that was not plugged in when the job was opened may
// be now: the operator should not have to open the job again for it.
bool StationChannel::resolvedNow()
{
    device_ = resolvePortDevice(port_, configuredPorts_);
    if (device_.failure)
        return false;
    adapterSerial_ = adapterSerialNumber(device_.device);
    engine_.setPortDevice(device_.device);
    start();
    return true;
}

// The run's own facts: its id, its serial number and the image that holds
// it, and the read-back file named after both.
std::optional<std::string> StationChannel::prepareRun(const StationJob& loaded, RecordKeeping& records,
                                                      RunContext& context, std::shared_ptr<const RunImage>& image)
{
    const Job& job = loaded.job;
    context.runId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    context.port = port_;
    context.device = device_.device;
    context.adapterSerial = adapterSerial_;
    context.job = job.name;
    if (job.serial) {
        auto taken = records.takeSerial(job.name, *job.serial);
        if (const auto* reason = std::get_if<std::string>(&taken))
            return fillText(kSerialRefused, *reason);
        context.serial = std::get<std::int64_t>(taken);
        context.reuseSerialOnFailure = job.serial->reuseOnFailure;
        if (image)
            image = numberedImage(*image, *job.serial, *context.serial);
    }
    std::optional<std::string> readBack;
    if (job.readBackPattern) {
        readBack =
            expandReadBackPattern(withPortName(*job.readBackPattern, port_), job.name, context.serial, context.runId);
        if (!folderExists(*readBack))
            return fillText(kNoReadBackFolder, *readBack);
    }
    const std::lock_guard lock(mutex_);
    readBackFile_ = std::move(readBack);
    return std::nullopt;
}

std::string StationChannel::refuse(const std::string& reason)
{
    const std::lock_guard lock(mutex_);
    state_.lamp = LampState::Red;
    state_.result = reason;
    ++state_.failed;
    ++state_.runsEnded;
    ++state_.version;
    return reason;
}

ChannelState StationChannel::state() const
{
    const std::lock_guard lock(mutex_);
    return state_;
}

bool StationChannel::running() const
{
    const std::lock_guard lock(mutex_);
    return state_.running;
}

void StationChannel::onRunEvent(const RunEvent& event)
{
    std::visit([this](const auto& e) { show(e); }, event);
}

void StationChannel::show(const RunStarted&) {}

void StationChannel::show(const StepStarted& started)
{
    const auto line = RunTexts::startLine(started.step);
    if (!line)
        return;
    const std::lock_guard lock(mutex_);
    state_.stepLine = *line;
    ++state_.version;
}

void StationChannel::show(const StepProgress& progress)
{
    const std::lock_guard lock(mutex_);
    state_.progressDone = progress.done;
    state_.progressTotal = progress.total;
    if (progress.done != 0)
        state_.stepLine = RunTexts::progressLine(progress.step, progress.done, progress.total);
    ++state_.version;
}

void StationChannel::show(const StepFinished& finished)
{
    // Power on and off say something only when they fail.
    if (finished.text.empty())
        return;
    const std::lock_guard lock(mutex_);
    state_.stepLine = finished.text;
    ++state_.version;
}

void StationChannel::show(const RunFinished& finished)
{
    std::string recordFailure;
    // Data read and not saved, or a run that left no record, has not done
    // its whole job on a line.
    const bool passed = finished.ok() && !finished.readBackLost() && recordWritten(recordFailure);
    const std::lock_guard lock(mutex_);
    state_.running = false;
    state_.lamp = passed ? LampState::Green : LampState::Red;
    state_.result = recordFailure.empty() ? finished.message : fillText(kRecordLost, recordFailure);
    ++(passed ? state_.passed : state_.failed);
    ++state_.runsEnded;
    ++state_.version;
}

bool StationChannel::recordWritten(std::string& failure) const
{
    if (!recorder_)
        return true;
    const std::optional<RecordOutcome> outcome = recorder_->lastOutcome();
    if (outcome && outcome->failure)
        failure = *outcome->failure;
    return failure.empty();
}

void StationChannel::portChanged(bool open, const std::string& openFailure)
{
    const std::lock_guard lock(mutex_);
    state_.portOpen = open;
    state_.portProblem = openFailure;
    if (!open && !openFailure.empty() && !state_.running) {
        state_.lamp = LampState::Red;
        state_.result = fillText(kNoPort, port_, openFailure);
    }
    ++state_.version;
}

std::optional<std::string> StationChannel::chooseReadBackFile()
{
    const std::lock_guard lock(mutex_);
    return readBackFile_;
}

void StationChannel::reportSaveFailure(const std::string& path, const std::string& reason)
{
    const std::lock_guard lock(mutex_);
    state_.stepLine = fillText(kSaveFailed, path, reason);
    ++state_.version;
}

} // namespace orvex::station
