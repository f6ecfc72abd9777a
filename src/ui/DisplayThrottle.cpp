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
        if (pending_)
            showNow();
    });
}

void DisplayThrottle::post()
{
    if (!pending_.exchange(true))
        emit posted();
}

void DisplayThrottle::showNow()
{
    // Cleared first: what the worker sets from now on posts again.
    pending_ = false;
    show_();
    pause_.start();
}

} // namespace orvex::ui
