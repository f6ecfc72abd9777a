#pragma once

#include "notify/PortObserver.h"
#include "notify/RunEvents.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace orvex::cli {

// Lets the command line's own thread wait for what the worker reports: the
// first open of the port, and the end of the run.
class WorkerWaiter final : public RunObserver, public PortObserver {
public:
    struct PortState {
        bool open = false;
        std::string openFailure;
    };

    void portChanged(bool open, const std::string& openFailure) override
    {
        std::lock_guard lock(mutex_);
        if (!port_)
            port_ = PortState{open, openFailure};
        changed_.notify_all();
    }

    void onRunEvent(const RunEvent& event) override
    {
        if (const auto* finished = std::get_if<RunFinished>(&event)) {
            std::lock_guard lock(mutex_);
            runEnd_ = *finished;
            changed_.notify_all();
        }
    }

    PortState waitForPort()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return port_.has_value(); });
        return *port_;
    }

    RunFinished waitForRunEnd()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return runEnd_.has_value(); });
        return *runEnd_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<PortState> port_;
    std::optional<RunFinished> runEnd_;
};

} // namespace orvex::cli
