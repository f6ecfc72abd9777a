#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>

namespace orvex::ui {

// Shows what the worker posts at most once per pause. A read posts new texts
// and a new position 130 times a second. Nobody reads that fast, and serving
// each would cost the window more processor time than the whole transfer:
// what comes during a pause after a showing waits for its end, and all of it
// is shown at once.
class DisplayThrottle : public QObject {
    Q_OBJECT

public:
    static constexpr int kPauseMs = 40;

    // show runs on the window's thread and shows the latest of everything.
    DisplayThrottle(std::function<void()> show, QObject* parent);

    // From any thread; never waits. Not again while an earlier post waits to
    // be shown: showing it shows the latest values anyway.
    void post();
    // Window thread: shows at once, for what must not wait (a run's end).
    void showNow();

signals:
    // Something waits to be shown.
    void posted();

private:
    std::function<void()> show_;
    QTimer pause_;
    std::atomic<bool> pending_{false};
};

} // namespace orvex::ui
