#pragma once

#include "engine/ProgrammerEngine.h"
#include "link/PortNames.h"
#include "notify/PortObserver.h"
#include "notify/ReadBackPrompt.h"
#include "notify/RunEvents.h"
#include "records/RunRecorder.h"
#include "station/ChannelState.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orvex {
class RecordKeeping;
}

namespace orvex::station {

struct StationJob;

// One unit of the line: its port, its engine and worker thread, its recorder,
// and what it shows. Channels share nothing but the job and the records
// database, so a unit that fails, falls silent or is pulled out holds no
// other channel up. The window calls in from its own thread; the worker
// calls in as a run goes on; the state between them is guarded.
class StationChannel final : public RunObserver, public PortObserver, public ReadBackPrompt {
public:
    // The recorder is null when records are off.
    StationChannel(std::string port, const PortDeviceMap& configuredPorts, std::unique_ptr<RunRecorder> recorder);
    StationChannel(const StationChannel&) = delete;
    StationChannel& operator=(const StationChannel&) = delete;
    ~StationChannel();

    // The worker starts and opens the port.
    void start();
    // Waits for a run under way to end, and for the worker.
    void stop();

    // Starts the job's procedure on this unit, with its own serial number and
    // read-back file. The reason, for the operator, when it cannot start; the
    // channel then shows it too.
    std::optional<std::string> startRun(const StationJob& loaded, RecordKeeping& records);

    ChannelState state() const;
    bool running() const;
    const std::string& port() const { return port_; }
    const std::optional<std::string>& adapterSerial() const { return adapterSerial_; }

    // The worker's side.
    void onRunEvent(const RunEvent& event) override;
    void portChanged(bool open, const std::string& openFailure) override;
    std::optional<std::string> chooseReadBackFile() override;
    void reportSaveFailure(const std::string& path, const std::string& reason) override;

private:
    std::optional<std::string> prepareRun(const StationJob& loaded, RecordKeeping& records, RunContext& context,
                                          std::shared_ptr<const RunImage>& image);
    bool resolvedNow();
    std::string refuse(const std::string& reason);
    void show(const RunStarted& started);
    void show(const StepStarted& started);
    void show(const StepProgress& progress);
    void show(const StepFinished& finished);
    void show(const RunFinished& finished);
    bool recordWritten(std::string& failure) const;

    std::string port_;
    PortDeviceMap configuredPorts_;
    ResolvedPort device_;
    std::optional<std::string> adapterSerial_;
    std::unique_ptr<RunRecorder> recorder_;
    ProgrammerEngine engine_;
    bool workerStarted_ = false;

    mutable std::mutex mutex_; // guards the two below
    ChannelState state_;
    std::optional<std::string> readBackFile_; // this run's
};

} // namespace orvex::station
