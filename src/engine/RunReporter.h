#pragma once

#include "notify/RunEvents.h"

#include <vector>

namespace orvex {

// Where the device and the executor send a run's events. It puts each
// step's status line into its end, so that every front end shows the same
// words, then hands each event to the observers in the order they were added.
class RunReporter final : public RunObserver {
public:
    // Before the first run; the observer must outlive the reporter's use.
    void addObserver(RunObserver& observer) { observers_.push_back(&observer); }

    void onRunEvent(const RunEvent& event) override;

private:
    void forward(const RunEvent& event);

    std::vector<RunObserver*> observers_;
};

} // namespace orvex
