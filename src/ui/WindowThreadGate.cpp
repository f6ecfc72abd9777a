#include "ui/WindowThreadGate.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace orvex::ui {

bool WindowThreadGate::run(const std::function<void()>& call)
{
    if (QThread::currentThread() == window_.thread()) {
        call();
        return true;
    }
    if (!enter())
        return false;
    QMetaObject::invokeMethod(&window_, call, Qt::BlockingQueuedConnection);
    leave();
    return true;
}

void WindowThreadGate::close()
{
    std::unique_lock lock(mutex_);
    closed_ = true;
    // A call that got in before the gate closed is waiting for this thread to
    // serve it; serving it is the only way it can end.
    while (callsUnderWay_ > 0) {
        lock.unlock();
        QCoreApplication::processEvents();
        QThread::yieldCurrentThread();
        lock.lock();
    }
}

bool WindowThreadGate::enter()
{
    std::lock_guard lock(mutex_);
    if (closed_)
        return false;
    ++callsUnderWay_;
    return true;
}

void WindowThreadGate::leave()
{
    std::lock_guard lock(mutex_);
    --callsUnderWay_;
}

} // namespace orvex::ui
