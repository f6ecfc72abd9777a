#pragma once

#include "notify/ProcedureStep.h"

#include <array>
#include <mutex>
#include <string>

namespace orvex {

// The texts the window shows: the main status text and one status line per
// step. All UTF-8.
struct WindowTextValues {
    std::string mainStatus;
    std::array<std::string, kProcedureStepCount> stepLines;

    const std::string& stepLine(ProcedureStep step) const { return stepLines[static_cast<std::size_t>(step)]; }
};

// The worker writes these texts and the window copies them when it handles a
// refresh; the lock makes sure the window never copies a text half replaced.
// Nothing here waits for anything but the lock, which is held only for a copy.
class WindowTexts {
public:
    void setMainStatus(std::string text)
    {
        std::lock_guard lock(mutex_);
        values_.mainStatus = std::move(text);
    }

    void setStepLine(ProcedureStep step, std::string text)
    {
        std::lock_guard lock(mutex_);
        values_.stepLines[static_cast<std::size_t>(step)] = std::move(text);
    }

    WindowTextValues snapshot() const
    {
        std::lock_guard lock(mutex_);
        return values_;
    }

private:
    mutable std::mutex mutex_;
    WindowTextValues values_;
};

} // namespace orvex
