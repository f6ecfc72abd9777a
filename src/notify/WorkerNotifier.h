#pragma once

#include "notify/WindowTexts.h"

#include <cstdint>

namespace orvex {

// Colour of the run lamp and of the port lamp.
enum class LampState : std::uint8_t { Red = 1, Green = 2, Blue = 3 };

// What the window shows of a run goes through this interface: the texts, the
// lamps, the controls and the progress bar. The window implements it; the
// worker calls it from its own thread, through the presenter of a run's events.
//
// Texts are written into texts() and reach the screen only with the next
// postRefresh(), which never waits; nor does setProgressPosition(), called for
// every block. The other operations act on the window's controls and return
// once the window has applied them, which is safe only because the window
// thread never waits for the worker.
class WorkerNotifier {
public:
    WindowTexts& texts() { return texts_; }
    const WindowTexts& texts() const { return texts_; }

    virtual void setRunLamp(LampState state) = 0;
    // The run is over and its outcome is in the texts: the window gives the
    // controls back. passed tells whether it ended well.
    virtual void runEnded(bool passed) = 0;
    virtual void postRefresh() = 0;
    virtual void setProgressRange(int lower, int upper) = 0;
    virtual void setProgressPosition(int position) = 0;

protected:
    // Nobody deletes a notifier through this interface.
    ~WorkerNotifier() = default;

private:
    WindowTexts texts_;
};

} // namespace orvex
