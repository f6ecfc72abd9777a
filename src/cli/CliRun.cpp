#include "cli/CliRun.h"

#include "cli/CliRecords.h"
#include "cli/ConsolePresenter.h"
#include "cli/JsonEventWriter.h"
#include "cli/Preflight.h"
#include "cli/SerialPorts.h"
#include "cli/WorkerWaiter.h"
#include "engine/ImageSnapshot.h"
#include "engine/ProgrammerEngine.h"
#include "image/FirmwareImage.h"
#include "link/AdapterSerial.h"
#include "link/TraceFile.h"
#include "records/JobFile.h"
#include "records/RecordKeeping.h"
#include "notify/ProcedureStep.h"
#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "settings/SettingsPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <QUuid>

namespace orvex::cli {

namespace {

// The "COM<n> DEVICE" keys of config.cfg. The file is only read: a
// command-line run changes no settings and needs no write access.
PortDeviceMap configuredPortDevices()
{
    deriveProgramDirectory();
    return readPortDevices(configFilePath());
}

bool usesFirmware(const CliOptions& options)
{
    return (options.stepSet & (StepBit::Program | StepBit::Verify)) != 0;
}

std::optional<Refusal> loadFirmware(FirmwareImage& image, const CliOptions& options)
{
    if (!usesFirmware(options)) {
        if (options.firmwareFile)
            std::fprintf(stderr, "orvex-cli: %s is not used without --program or --verify\n",
                         options.firmwareFile->c_str());
        return std::nullopt;
    }
    image.load(*options.firmwareFile);
    return checkFirmware(image, options);
}

std::optional<Refusal> checkBeforeTheRun(FirmwareImage& image, const CliOptions& options)
{
    if (auto refusal = loadFirmware(image, options))
        return refusal;
    // A job's read-back path is known, and checked, once its number is.
    if (options.readBackFile && !options.job)
        return checkReadBackTarget(*options.readBackFile);
    return std::nullopt;
}

Refusal refuseJob(const std::string& reason)
{
    return {kExitUsage, reason + "; nothing was sent"};
}

// The job's procedure in place of step options, and the port it may use.
std::optional<Refusal> applyJob(const Job& job, CliOptions& options)
{
    options.stepSet = job.stepSet;
    options.firmwareFile = job.firmwarePath;
    options.lenient = job.lenient;
    options.readBackFile = job.readBackPattern;
    if (!job.ports.empty() && !options.portGiven)
        options.port = job.ports.front();
    if (!job.ports.empty() && std::find(job.ports.begin(), job.ports.end(), options.port) == job.ports.end())
        return refuseJob("job " + job.name + " does not run on port " + options.port);
    return std::nullopt;
}

// The firmware must be the one the job was written with, and its serial
// area must be usable.
std::optional<Refusal> checkJobImage(const Job& job, const FirmwareImage& image, const RecordKeeping& records)
{
    const std::string actual = snapshotOf(image) ? snapshotOf(image)->file.sha256 : std::string();
    if (actual != job.sha256)
        return refuseJob("firmware file " + job.firmwarePath + " has SHA-256 " + actual + ", but job " + job.name
                         + " was written for SHA-256 " + job.sha256);
    if (!job.serial)
        return std::nullopt;
    if (!records.enabled())
        return Refusal{kExitRecords, "job " + job.name + " numbers its units, which needs the records database, "
                                     "and records are off; nothing was sent"};
    if (const auto problem = checkSerialSpec(*job.serial, ProgrammerDevice::kFlashSize))
        return Refusal{kExitRecords, "job " + job.name + ": " + *problem + "; nothing was sent"};
    return std::nullopt;
}

std::string shortDigest(const std::string& sha256)
{
    return sha256.substr(0, 12);
}

std::unique_ptr<TraceFile> openTrace(const CliOptions& options, std::optional<Refusal>& refusal)
{
    if (!options.traceFile)
        return nullptr;
    auto trace = TraceFile::create(*options.traceFile);
    if (!trace)
        refusal = Refusal{kExitUsage, "cannot write the trace to " + *options.traceFile + ": " + std::strerror(errno)
                                          + "; nothing was sent"};
    return trace;
}

int exitStatusOf(const RunFinished& finished)
{
    if (!finished.ok())
        return kExitProcedureFailed;
    // A read whose data did not reach its file has lost what it was for.
    return finished.readBackLost() ? kExitReadBackNotWritten : kExitSuccess;
}

// A run that passed but left no record has not done its whole job on a
// production line. The spool goes to the server while this program is here.
int exitStatusWithRecord(int status, RecordKeeping& records)
{
    if (!records.enabled())
        return status;
    const std::optional<RecordOutcome> outcome = records.recorder().lastOutcome();
    if (outcome && outcome->failure) {
        std::fprintf(stderr, "orvex-cli: the record of this run could not be written: %s\n", outcome->failure->c_str());
        return status == kExitSuccess ? kExitRecords : status;
    }
    records.forwardSpool();
    return status;
}

int refuse(const CliOptions& options, const Refusal& refusal)
{
    std::fprintf(stderr, "orvex-cli: %s\n", refusal.message.c_str());
    if (options.json)
        JsonEventWriter::writeRefusal(stdout, options.port, refusal.message, refusal.exitStatus);
    return refusal.exitStatus;
}

} // namespace

int runCli(const CliOptions& given)
{
    CliOptions options = given;
    auto chosen = chooseRecordsTarget(options);
    if (const auto* refusal = std::get_if<Refusal>(&chosen))
        return refuse(options, *refusal);
    RecordKeeping records(std::get<RecordsTarget>(chosen), "orvex-cli", ORVEX_VERSION);

    std::optional<Job> job;
    if (options.job) {
        auto read = readJobFile(*options.job);
        if (const auto* reason = std::get_if<std::string>(&read))
            return refuse(options, refuseJob(*reason));
        job = std::get<Job>(read);
        if (const auto refusal = applyJob(*job, options))
            return refuse(options, *refusal);
    }
    FirmwareImage image;
    std::optional<Refusal> refusal = checkBeforeTheRun(image, options);
    if (!refusal && job)
        refusal = checkJobImage(*job, image, records);
    const std::unique_ptr<TraceFile> trace = refusal ? nullptr : openTrace(options, refusal);
    if (refusal)
        return refuse(options, *refusal);

    // With the read-back on standard output, the status lines step aside.
    const bool readBackToStdout = options.readBackFile == kStandardOutputName;
    std::FILE* const linesOut = readBackToStdout ? stderr : stdout;
    ConsolePresenter console(linesOut, stderr, options.readBackFile);
    console.setShowingLines(!options.json);
    const std::string devicePath = resolvePortDevice(options.port, configuredPortDevices());
    JsonEventWriter json(stdout, {options.port, devicePath, exitStatusOf});
    WorkerWaiter waiter;

    ProgrammerEngine engine(console, waiter);
    engine.addObserver(console);
    if (options.json)
        engine.addObserver(json);
    // Before the waiter: the record is written when the run's end is seen.
    if (records.enabled())
        engine.addObserver(records.recorder());
    engine.addObserver(waiter);
    engine.setTrace(trace.get());
    engine.setPortDevice(devicePath);
    engine.start();
    if (const WorkerWaiter::PortState port = waiter.waitForPort(); !port.open) {
        engine.stop();
        return refuse(options, {kExitPortNotOpened, "cannot open serial port " + options.port + " (" + devicePath
                                                        + "): " + port.openFailure});
    }

    RunContext context;
    context.runId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    context.port = options.port;
    context.device = devicePath;
    context.adapterSerial = adapterSerialNumber(devicePath);
    std::shared_ptr<const RunImage> runImage = snapshotOf(image);
    if (job) {
        context.job = job->name;
        if (job->serial) {
            auto taken = records.takeSerial(job->name, *job->serial);
            if (const auto* reason = std::get_if<std::string>(&taken)) {
                engine.stop();
                return refuse(options, {kExitRecords, "job " + job->name + ": " + *reason + "; nothing was sent"});
            }
            context.serial = std::get<std::int64_t>(taken);
            context.reuseSerialOnFailure = job->serial->reuseOnFailure;
            runImage = numberedImage(*runImage, *job->serial, *context.serial);
        }
        if (options.readBackFile) {
            options.readBackFile = expandReadBackPattern(*options.readBackFile, job->name, context.serial, context.runId);
            if (const auto readBackRefusal = checkReadBackTarget(*options.readBackFile)) {
                engine.stop();
                return refuse(options, *readBackRefusal);
            }
            console.setReadBackFile(options.readBackFile);
        }
        std::fprintf(options.json || readBackToStdout ? stderr : stdout, "Job %s, firmware %s%s\n", job->name.c_str(),
                     shortDigest(job->sha256).c_str(),
                     context.serial ? (", serial " + std::to_string(*context.serial)).c_str() : "");
        std::fflush(nullptr);
    }
    if (records.enabled())
        records.recorder().prepareRun(context);
    engine.requestRun({options.stepSet, runImage});
    const RunFinished finished = waiter.waitForRunEnd();
    engine.stop();
    return exitStatusWithRecord(exitStatusOf(finished), records);
}

int listPorts()
{
    listSerialPorts(stdout, configuredPortDevices());
    return kExitSuccess;
}

} // namespace orvex::cli
