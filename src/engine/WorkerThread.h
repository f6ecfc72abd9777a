#pragma once

#include "engine/PortKeeper.h"
#include "engine/ProcedureExecutor.h"
#include "engine/RequestMailbox.h"

#include <atomic>
#include <memory>

class QThread;

namespace orvex {

// The one thread that talks to the programmer unit. It opens the port, then
// sleeps on the mailbox until a port change or a run is asked for. The
// window never waits for it, except in stop().
class WorkerThread {
public:
    WorkerThread(PortKeeper& port, ProcedureExecutor& executor, RequestMailbox& mailbox);
    ~WorkerThread(); // stops the thread
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void start();
    // Ends the loop after any run under way and waits for the thread; the port
    // is closed on the worker's own thread, where it was opened. Whoever calls
    // this must not be needed by the run to finish (its save dialog, say).
    void stop();
    bool isRunning() const;

private:
    void run();

    PortKeeper& port_;
    ProcedureExecutor& executor_;
    RequestMailbox& mailbox_;
    std::atomic<bool> stopRequested_{false};
    std::unique_ptr<QThread> thread_;
};

} // namespace orvex
