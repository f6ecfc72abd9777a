#include "engine/WorkerThread.h"

#include <QThread>

namespace orvex {

WorkerThread::WorkerThread(ProgrammerDevice& device, ProcedureExecutor& executor, RequestMailbox& mailbox)
    : device_(device), executor_(executor), mailbox_(mailbox)
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
    thread_->wait();
    thread_.reset();
}

bool WorkerThread::isRunning() const
{
    return thread_ && thread_->isRunning();
}

void WorkerThread::run()
{
    device_.reopenSerialPort(mailbox_.portNumber(), mailbox_.baudRate());
    while (!stopRequested_) {
        if (mailbox_.takeReopenRequest())
            device_.reopenSerialPort(mailbox_.portNumber(), mailbox_.baudRate());
        // The run flag is taken before the step set is read, so a run always
        // uses the steps written for it.
        executor_.setPendingRun(mailbox_.takeRunRequest());
        executor_.setStepSet(mailbox_.stepSet());
        executor_.runProcedure();
        device_.showPortIfLost();
        QThread::msleep(kPollIntervalMs);
    }
    device_.port().close();
}

} // namespace orvex
