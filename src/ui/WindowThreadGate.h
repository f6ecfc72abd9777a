#pragma once

#include <functional>
#include <mutex>

class QObject;

namespace orvex::ui {

// Runs the worker's calls into the window on the window's thread and lets
// the worker wait for them, which is safe only while the window thread never
// waits for the worker. close() ends that promise safely: after it, calls from
// other threads are dropped instead of waiting for a window that may be
// waiting for them, and the calls already under way have all been served.
class WindowThreadGate {
public:
    explicit WindowThreadGate(QObject& window) : window_(window) {}

    // Runs call on the window's thread and returns when it has run: at once
    // when already there. False, without running it, once closed.
    bool run(const std::function<void()>& call);
    // Window thread only.
    void close();

private:
    bool enter();
    void leave();

    QObject& window_;
    std::mutex mutex_;
    bool closed_ = false;
    int callsUnderWay_ = 0;
};

} // namespace orvex::ui
