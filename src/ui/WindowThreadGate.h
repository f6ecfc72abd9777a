#pragma once

#include <QObject>

#include <functional>
#include <mutex>

namespace orvex::ui {

// Runs the worker's calls into the window on the window's thread and lets
// the worker wait for them, which is safe only while the window thread never
// waits for the worker. close() ends that promise safely: after it, calls from
// other threads are dropped instead of waiting for a window that may be
// waiting for them, and the calls already under way have all been served.
// Create it on the window's thread.
class WindowThreadGate : public QObject {
    Q_OBJECT

public:
    WindowThreadGate();

    // Runs call on the window's thread and returns when it has run: at once
    // when already there. False, without running it, once closed.
    bool run(const std::function<void()>& call);
    // Window thread only.
    void close();

signals:
    void callPosted();

private:
    bool enter();
    void leave();
    void servePostedCall();

    std::mutex mutex_;
    bool closed_ = false;
    int callsUnderWay_ = 0;
    // One call crosses at a time; postedCall_ is what it hands over.
    std::mutex crossing_;
    const std::function<void()>* postedCall_ = nullptr;
};

} // namespace orvex::ui
