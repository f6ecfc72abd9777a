#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace orvex {

// The hand-over from the window to the worker: a few flags and values, no
// queue. Each request is a flag that is raised or not.
//
// Orders that make it safe without locks: the window writes the value before
// it raises the flag (release); the worker takes and lowers the flag in one
// step (acquire) before it reads the value. A request raised while the worker
// handles an earlier one is therefore never lost.
class RequestMailbox {
public:
    static constexpr std::int32_t kBaudRate = 115200;

    // Window side.
    void setPortNumber(std::int32_t portNumber) { portNumber_.store(portNumber, std::memory_order_relaxed); }
    void requestPortChange(std::int32_t portNumber)
    {
        setPortNumber(portNumber);
        reopenPort_.store(1, std::memory_order_release);
    }
    void requestRun(std::uint16_t stepSet)
    {
        stepSet_.store(stepSet, std::memory_order_relaxed);
        runRequest_.store(1, std::memory_order_release);
    }

    // Worker side.
    bool takeReopenRequest() { return reopenPort_.exchange(0, std::memory_order_acq_rel) != 0; }
    // The step set of the run request taken, if one was raised. The flag is
    // taken before the step set is read, so a run gets the steps written for it.
    std::optional<std::uint16_t> takeRun()
    {
        if (runRequest_.exchange(0, std::memory_order_acq_rel) == 0)
            return std::nullopt;
        return stepSet_.load(std::memory_order_relaxed);
    }
    std::int32_t portNumber() const { return portNumber_.load(std::memory_order_relaxed); }
    std::int32_t baudRate() const { return baudRate_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::int32_t> portNumber_{1};
    std::atomic<std::int32_t> baudRate_{kBaudRate};
    std::atomic<std::int32_t> reopenPort_{0};
    std::atomic<std::uint16_t> stepSet_{0};
    std::atomic<std::int32_t> runRequest_{0};
};

} // namespace orvex
