#pragma once

#include "cli/CliOptions.h"
#include "cli/ConsolePresenter.h"
#include "cli/JsonEventWriter.h"
#include "cli/Preflight.h"
#include "cli/SerialPorts.h"
#include "cli/WorkerWaiter.h"
#include "engine/ProgrammerEngine.h"
#include "link/TraceFile.h"
#include "records/JobFile.h"
#include "records/RunRecorder.h"

#include <memory>
#include <optional>
#include <string>

namespace orvex {
class RecordKeeping;
}

namespace orvex::cli {

// What every unit of one command line runs: read only while they run.
struct RunPlan {
    const CliOptions& options;
    const std::optional<Job>& job;
    std::shared_ptr<const RunImage> image;
    const PortDeviceMap& configuredPorts;
    bool severalUnits = false; // each line then starts with its port
};

// One unit of the command line: its port, its engine and worker thread, and
// what shows and records its run. Units share nothing but the plan, the
// records database and the lock around each output line, so whatever one
// unit does or fails to do never holds another up.
class UnitChannel {
public:
    // The recorder is null when records are off.
    UnitChannel(const RunPlan& plan, std::string port, std::unique_ptr<RunRecorder> recorder);
    UnitChannel(const UnitChannel&) = delete;
    UnitChannel& operator=(const UnitChannel&) = delete;
    ~UnitChannel();

    // Before any unit starts: its trace file and read-back target.
    std::optional<Refusal> prepare();
    // The worker starts opening the port.
    void startWorker();
    // Waits for the port, then takes the unit's serial number and fixes its
    // read-back path.
    std::optional<Refusal> open(RecordKeeping& records);
    void startRun();
    // Waits for the run's end and returns the unit's exit status, its record
    // counted in.
    int finish();
    // Says why the unit does not run and returns its exit status.
    int refuse(const Refusal& refusal);

    const std::string& port() const { return port_; }

private:
    std::optional<Refusal> takeSerial(RecordKeeping& records);
    std::optional<Refusal> fixJobReadBack();
    void printJobLine() const;
    int exitStatusWithRecord(int status) const;

    const RunPlan& plan_;
    std::string port_;
    ResolvedPort device_;
    std::optional<std::string> readBackFile_;
    std::unique_ptr<TraceFile> trace_;
    std::unique_ptr<RunRecorder> recorder_;
    RunContext context_;
    std::shared_ptr<const RunImage> image_;
    ConsolePresenter console_;
    JsonEventWriter json_;
    WorkerWaiter waiter_;
    ProgrammerEngine engine_;
    bool workerStarted_ = false;
};

} // namespace orvex::cli
