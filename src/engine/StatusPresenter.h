#pragma once

#include "notify/RunEvents.h"
#include "notify/WorkerNotifier.h"

namespace orvex {

// Shows a run's events in the window the way it has always shown a run: each
// step's status line, the main status text, the progress bar, the run lamp,
// and the controls given back at the end.
class StatusPresenter final : public RunObserver {
public:
    explicit StatusPresenter(WorkerNotifier& notifier) : notifier_(notifier) {}

    void onRunEvent(const RunEvent& event) override;

private:
    void show(const RunStarted& started);
    void show(const StepStarted& started);
    void show(const StepProgress& progress);
    void show(const StepFinished& finished);
    void show(const RunFinished& finished);

    WorkerNotifier& notifier_;
};

} // namespace orvex
