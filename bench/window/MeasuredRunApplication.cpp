#include "MeasuredRunApplication.h"

#include <QThread>

#include <algorithm>
#include <ctime>

namespace orvex::bench {

namespace {

double processSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

void MeasuredRunApplication::startRun()
{
    processorAtStart_ = processSeconds();
    // Started from within an event: the rest of that event counts.
    stretchStartNs_ = 0;
    lastEndNs_ = -kJoinedBelowNs;
    longestNs_ = 0;
    clock_.start();
    running_ = true;
}

void MeasuredRunApplication::endRun()
{
    if (!running_)
        return;
    running_ = false;
    runSeconds_ = static_cast<double>(clock_.nsecsElapsed()) * 1e-9;
    processorSeconds_ = processSeconds() - processorAtStart_;
    QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool MeasuredRunApplication::notify(QObject* receiver, QEvent* event)
{
    // Events sent within other threads do not hold up the window's.
    if (QThread::currentThread() != thread())
        return QApplication::notify(receiver, event);
    // An event handled inside another one (a nested loop, a sendEvent) is
    // part of the outer one's time.
    if (depth_++ == 0 && running_) {
        const qint64 start = clock_.nsecsElapsed();
        if (start - lastEndNs_ >= kJoinedBelowNs)
            stretchStartNs_ = start;
    }
    const bool handled = QApplication::notify(receiver, event);
    if (--depth_ == 0 && running_) {
        lastEndNs_ = clock_.nsecsElapsed();
        longestNs_ = std::max(longestNs_, lastEndNs_ - stretchStartNs_);
    }
    return handled;
}

} // namespace orvex::bench
