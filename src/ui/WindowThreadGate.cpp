#include "ui/WindowThreadGate.h"

#include "notify/ThreadHandOver.h"

#include <QCoreApplication>
#include <QThread>

namespace orvex::ui {

WindowThreadGate::WindowThreadGate()
{
    // The call crosses as a signal to a slot connected once, here, rather
    // than as a functor made anew for each call, so that nothing the worker
    // builds for a call is read on the window's thread but the call itself.
    connect(this, &WindowThreadGate::callPosted, this, &WindowThreadGate::servePostedCall,
            Qt::BlockingQueuedConnection);
}

bool WindowThreadGate::run(const std::function<void()>& call)
{
    if (QThread::currentThread() == thread()) {
        call();
        return true;
    }
    if (!enter())
        return false;
    {
        const std::lock_guard crossing(crossing_);
        postedCall_ = &call;
        handOver(this);
        emit callPosted();
        takeOver(this);
    }
    leave();
    return true;
}

void WindowThreadGate::servePostedCall()
{
    takeOver(this);
    (*postedCall_)();
    handOver(this);
}

void WindowThreadGate::close()
{
    std::unique_lock lock(mutex_);
    closed_ = true;
    // A call that got in before the gate closed is waiting for this thread to
    // serve it; serving it is the only way it can end. It is served straight
    // from the queue: a close that itself runs from a queued call (a window
    // closed at its run's end, or by the application quitting) would not get
    // to the calls queued behind it through the event loop.
    while (callsUnderWay_ > 0) {
        lock.unlock();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
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
