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
    // Ten showings a second move the bar and the counts smoothly to the eye;
    // each one repaints a text and the bar over their group box, about half
    // a millisecond of the window's thread, which at 25 a second was most
    // of the window's processor time during a run.
    static constexpr int kPauseMs = 100;

    // show runs on the window's thread and shows the latest of everything.
    DisplayThrottle(std::function<void()> show, QObject* parent);

    // From any thread; never waits. Not again while an earlier post waits to
    // be shown: showing it shows the latest values anyway.
    void post();
    // Window thread: shows at once, for what must not wait (a run's end).
    void showNow();

signals:
    // Something waits to be shown and the window is woken for it.
    void posted();
    // After each showing.
    void shown();

private:
    std::function<void()> show_;
    QTimer pause_;
    std::atomic<bool> pending_{false};
    // Set by the window's thread while pause_ runs, for post() to read.
    std::atomic<bool> pausing_{false};
};

} // namespace orvex::ui
