#include "BusyStretchApplication.h"

#include <QThread>

#include <algorithm>

namespace orvex::bench {

void BusyStretchApplication::startMeasuring()
{
    clock_.start();
    stretchStartNs_ = 0;
    lastEndNs_ = -kJoinedBelowNs;
    longestNs_ = 0;
}

bool BusyStretchApplication::notify(QObject* receiver, QEvent* event)
{
    // Events sent within other threads do not hold up the window's.
    if (!clock_.isValid() || QThread::currentThread() != thread())
        return QApplication::notify(receiver, event);
    // An event handled inside another one (a nested loop, a sendEvent) is
    // part of the outer one's time.
    if (depth_++ == 0) {
        const qint64 start = clock_.nsecsElapsed();
        if (start - lastEndNs_ >= kJoinedBelowNs)
            stretchStartNs_ = start;
    }
    const bool handled = QApplication::notify(receiver, event);
    if (--depth_ == 0) {
        lastEndNs_ = clock_.nsecsElapsed();
        longestNs_ = std::max(longestNs_, lastEndNs_ - stretchStartNs_);
    }
    return handled;
}

} // namespace orvex::bench
