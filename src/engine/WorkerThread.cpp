#include "engine/WorkerThread.h"

#include "notify/ThreadHandOver.h"

#include <QThread>

#include <optional>

namespace orvex {

WorkerThread::WorkerThread(PortKeeper& port, ProcedureExecutor& executor, RequestMailbox& mailbox)
    : port_(port), executor_(executor), mailbox_(mailbox)
{
}

WorkerThread::~WorkerThread()
{
    stop();
}

void WorkerThread::start()
{
    if (thread_)
        return;
    stopRequested_ = false;
    thread_.reset(QThread::create([this] { run(); }));
    thread_->start();
}

void WorkerThread::stop()
{
    if (!thread_)
        return;
    stopRequested_ = true;
    mailbox_.wakeWorker();
    thread_->wait();
    takeOver(this);
    thread_.reset();
}

bool WorkerThread::isRunning() const
{
    return thread_ && thread_->isRunning();
}

void WorkerThread::run()
{
    port_.reopenSerialPort(mailbox_.portNumber(), mailbox_.baudRate());
    // An idle port is neither read nor written, so it cannot find itself
    // lost meanwhile: only a reopen or a run changes what the lamp shows.
    while (mailbox_.waitForRequest(stopRequested_)) {
        if (mailbox_.takeReopenRequest())
            port_.reopenSerialPort(mailbox_.portNumber(), mailbox_.baudRate());
        if (const std::optional<RunRequest> run = mailbox_.takeRun()) {
            // An adapter pulled out closes the port, and a unit restarted while
            // idle leaves it on a dead line; plugged back in or up again under
            // the same name, it is opened once more when the operator starts a run.
            if (!port_.port().stillLeadsToItsDevice())
                port_.reopenSerialPort(mailbox_.portNumber(), mailbox_.baudRate());
            executor_.runProcedure(*run);
        }
        port_.showPortIfLost();
    }
    port_.port().close();
    // The port and the rest are the stopping thread's again.
    handOver(this);
}

} // namespace orvex
