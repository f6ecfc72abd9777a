#include "ui/DisplayThrottle.h"

namespace orvex::ui {

DisplayThrottle::DisplayThrottle(std::function<void()> show, QObject* parent) : QObject(parent), show_(std::move(show))
{
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(
        this, &DisplayThrottle::posted, this,
        [this] {
            if (!pause_.isActive())
                showNow();
        },
        Qt::QueuedConnection);
    connect(&pause_, &QTimer::timeout, this, [this] {
        // Cleared before pending_ is looked at, the other way round from
        // post(): a post either sees the pause over and wakes the window, or
        // came early enough for this look to see it.
        pausing_ = false;
        if (pending_)
            showNow();
    });
}

void DisplayThrottle::post()
{
    // During a pause the timer's end shows what came; waking the window
    // for it as well would double its wake-ups for nothing.
    if (!pending_.exchange(true) && !pausing_)
        emit posted();
}

void DisplayThrottle::showNow()
{
    // Cleared first: what the worker sets from now on posts again.
    pending_ = false;
    pausing_ = true;
    show_();
    pause_.start();
    emit shown();
}

} // namespace orvex::ui
