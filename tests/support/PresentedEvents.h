#pragma once

#include "engine/RunReporter.h"
#include "engine/StatusPresenter.h"
#include "support/RecordingNotifier.h"

namespace orvex::test {

// A run's events as a window shows them: the device and the executor report
// to reporter, and notifier keeps, in order, what the window would show.
struct PresentedEvents {
    PresentedEvents() { reporter.addObserver(presenter); }
    PresentedEvents(const PresentedEvents&) = delete;
    PresentedEvents& operator=(const PresentedEvents&) = delete;

    RecordingNotifier notifier;
    StatusPresenter presenter{notifier};
    RunReporter reporter;
};

} // namespace orvex::test
