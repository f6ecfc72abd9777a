#include "cli/CliRun.h"

#include "cli/CliRecords.h"
#include "cli/JsonEventWriter.h"
#include "cli/Preflight.h"
#include "cli/SerialPorts.h"
#include "cli/UnitChannel.h"
#include "engine/ImageSnapshot.h"
#include "image/FirmwareImage.h"
#include "records/JobFile.h"
#include "records/RecordKeeping.h"
#include "notify/ProcedureStep.h"
#include "settings/ProcedureSettings.h"
#include "settings/ProgramDirectory.h"
#include "settings/SettingsPaths.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

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
            std::fprintf(stderr, "orvex-cli: %s\n",
                         translated(ORVEX_TEXT("CliRun", "%1 is not used without --program or --verify"),
                                    {*options.firmwareFile})
                             .c_str());
        return std::nullopt;
    }
    image.load(*options.firmwareFile);
    return checkFirmware(image, options);
}

Refusal refuseJob(const std::string& reason)
{
    return {kExitUsage, translated(kNothingSent, {reason})};
}

// The job's procedure in place of step options, and the port it may use.
std::optional<Refusal> applyJob(const Job& job, CliOptions& options)
{
    options.stepSet = job.stepSet;
    options.firmwareFile = job.firmwarePath;
    options.lenient = job.lenient;
    options.readBackFile = job.readBackPattern;
    if (!job.ports.empty() && !options.portGiven) {
        options.ports = job.ports;
        options.port = job.ports.front();
    }
    for (const std::string& port : options.ports)
        if (!job.ports.empty() && std::find(job.ports.begin(), job.ports.end(), port) == job.ports.end())
            return refuseJob(translated(ORVEX_TEXT("CliRun", "job %1 does not run on port %2"), {job.name, port}));
    return std::nullopt;
}

// The firmware must be the one the job was written with, and its serial
// area must be usable.
std::optional<Refusal> checkJobImage(const Job& job, const FirmwareImage& image, const RecordKeeping& records)
{
    const std::string actual = snapshotOf(image) ? snapshotOf(image)->file.sha256 : std::string();
    if (actual != job.sha256)
        return refuseJob(
            translated(ORVEX_TEXT("CliRun", "firmware file %1 has SHA-256 %2, but job %3 was written for SHA-256 %4"),
                       {job.firmwarePath, actual, job.name, job.sha256}));
    if (!job.serial)
        return std::nullopt;
    if (!records.enabled())
        return Refusal{kExitRecords,
                       translated(ORVEX_TEXT("CliRun", "job %1 numbers its units, which needs the records "
                                                       "database, and records are off; nothing was sent"),
                                  {job.name})};
    if (const auto problem = checkSerialNumbering(*job.serial, ProgrammerDevice::kFlashSize))
        return Refusal{kExitRecords, translated(kJobRefused, {job.name, *problem})};
    return std::nullopt;
}

// Several units write files of their own, told apart by {port} in their names.
std::optional<Refusal> checkSeveralPorts(const CliOptions& options)
{
    if (options.ports.size() < 2)
        return std::nullopt;
    for (const auto& pattern : {options.readBackFile, options.traceFile})
        if (pattern && pattern->find("{port}") == std::string::npos)
            return Refusal{kExitUsage,
                           translated(ORVEX_TEXT("CliRun", "with several ports, %1 needs {port} in its name, "
                                                           "so that each unit has a file of its own"),
                                      {*pattern})};
    for (auto port = options.ports.begin(); port != options.ports.end(); ++port)
        for (auto other = options.ports.begin(); other != port; ++other) {
            if (*other == *port)
                return Refusal{kExitUsage, translated(ORVEX_TEXT("CliRun", "port %1 is given twice"), {*port})};
            if ((options.readBackFile || options.traceFile) && portFileName(*other) == portFileName(*port))
                return Refusal{kExitUsage,
                               translated(ORVEX_TEXT("CliRun", "ports %1 and %2 would both fill {port} with %3"),
                                          {*other, *port, portFileName(*port)})};
        }
    return std::nullopt;
}

using Channels = std::vector<std::unique_ptr<UnitChannel>>;

Channels makeChannels(const RunPlan& plan, const RecordKeeping& records)
{
    Channels channels;
    for (const std::string& port : plan.options.ports)
        channels.push_back(
            std::make_unique<UnitChannel>(plan, port, records.enabled() ? records.newRecorder() : nullptr));
    return channels;
}

// Every unit is opened and started as soon as it can be, so that none waits
// for another; the statuses come in the order of the ports.
std::vector<int> runUnits(Channels& channels, RecordKeeping& records)
{
    for (auto& channel : channels)
        channel->startWorker();
    std::vector<std::optional<int>> refused(channels.size());
    for (std::size_t unit = 0; unit < channels.size(); ++unit) {
        if (const auto refusal = channels[unit]->open(records))
            refused[unit] = channels[unit]->refuse(*refusal);
        else
            channels[unit]->startRun();
    }
    std::vector<int> statuses;
    for (std::size_t unit = 0; unit < channels.size(); ++unit)
        statuses.push_back(refused[unit] ? *refused[unit] : channels[unit]->finish());
    return statuses;
}

void printSummary(const std::vector<int>& statuses)
{
    const auto passed = std::count(statuses.begin(), statuses.end(), kExitSuccess);
    std::printf("%s\n", translated(ORVEX_TEXT("CliRun", "%1 of %2 units OK"),
                                   {std::to_string(passed), std::to_string(statuses.size())})
                            .c_str());
    std::fflush(stdout);
}

int refuse(const CliOptions& options, const Refusal& refusal)
{
    std::fprintf(stderr, "orvex-cli: %s\n", refusal.message.c_str());
    if (options.json)
        for (const std::string& port : options.ports)
            JsonEventWriter::writeRefusal(stdout, port, refusal.message, refusal.exitStatus);
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
    std::optional<Refusal> refusal = loadFirmware(image, options);
    if (!refusal && job)
        refusal = checkJobImage(*job, image, records);
    if (!refusal)
        refusal = checkSeveralPorts(options);
    if (refusal)
        return refuse(options, *refusal);

    const PortDeviceMap configuredPorts = configuredPortDevices();
    const RunPlan plan{options, job, snapshotOf(image), configuredPorts, options.ports.size() > 1};
    Channels channels = makeChannels(plan, records);
    for (auto& channel : channels)
        if (const auto unitRefusal = channel->prepare())
            return refuse(options, *unitRefusal);
    const std::vector<int> statuses = runUnits(channels, records);
    channels.clear();
    if (records.enabled())
        records.forwardSpool();
    if (plan.severalUnits && !options.json)
        printSummary(statuses);
    return *std::max_element(statuses.begin(), statuses.end());
}

int listPorts()
{
    listSerialPorts(stdout, configuredPortDevices());
    return kExitSuccess;
}

} // namespace orvex::cli
