#pragma once

#include "engine/ProcedureExecutor.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>

namespace orvex {

// The hand-over from the front end to the worker: a port change and a run,
// each a request that is raised or not, no queue. A request raised while the
// worker handles an earlier one is never lost. The worker sleeps until one is
// raised: an idle unit costs no wake-ups.
//
// The port number needs no lock: the front end writes it before it raises
// the flag (release), the worker takes and lowers the flag in one step
// (acquire) before it reads the number. A run carries its image, so it is
// handed over under a lock, held only for the move.
class RequestMailbox {
public:
    static constexpr std::int32_t kBaudRate = 115200;

    // Front end side.
    void setPortNumber(std::int32_t portNumber) { portNumber_.store(portNumber, std::memory_order_relaxed); }
    void requestPortChange(std::int32_t portNumber)
    {
        setPortNumber(portNumber);
        std::lock_guard lock(mutex_);
        reopenPort_.store(1, std::memory_order_release);
        raised_.notify_all();
    }
    void requestRun(RunRequest request)
    {
        std::lock_guard lock(mutex_);
        run_ = std::move(request);
        raised_.notify_all();
    }
    // Wakes a worker waiting for a request, to look at stop, which the
    // caller has set.
    void wakeWorker()
    {
        std::lock_guard lock(mutex_);
        raised_.notify_all();
    }

    // Worker side.
    // Sleeps until a request is raised or stop is set, at once when one
    // already is; false when stop is set.
    bool waitForRequest(const std::atomic<bool>& stop)
    {
        std::unique_lock lock(mutex_);
        raised_.wait(lock, [&] { return stop.load() || reopenPort_.load(std::memory_order_acquire) != 0 || run_; });
        return !stop.load();
    }
    bool takeReopenRequest() { return reopenPort_.exchange(0, std::memory_order_acq_rel) != 0; }
    std::optional<RunRequest> takeRun()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(run_, std::nullopt);
    }
    std::int32_t portNumber() const { return portNumber_.load(std::memory_order_relaxed); }
    std::int32_t baudRate() const { return kBaudRate; }

private:
    std::atomic<std::int32_t> portNumber_{1};
    std::atomic<std::int32_t> reopenPort_{0};
    std::mutex mutex_; // guards the run; raising a request under it is what makes a wait see it
    std::condition_variable raised_;
    std::optional<RunRequest> run_;
};

} // namespace orvex
