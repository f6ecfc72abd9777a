#pragma once

#include "notify/PortObserver.h"
#include "notify/ReadBackPrompt.h"
#include "notify/WorkerNotifier.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvex::test {

// A window stand-in that keeps, in order, everything the worker shows. Texts
// are captured at each refresh, since that is when a window would show them.
class RecordingNotifier : public WorkerNotifier, public ReadBackPrompt, public PortObserver {
public:
    enum class Kind { Refresh, ProgressRange, ProgressPosition, RunLamp, PortLamp, RunEnded, ChooseFile, SaveFailure };

    struct Event {
        Kind kind;
        int first = 0;
        int second = 0;
        WindowTextValues texts; // for Refresh
        std::string detail;     // for SaveFailure, and the open failure for PortLamp
    };

    void setRunLamp(LampState state) override { record(Kind::RunLamp, static_cast<int>(state)); }
    void portChanged(bool open, const std::string& openFailure) override
    {
        record(Kind::PortLamp, static_cast<int>(open ? LampState::Green : LampState::Red), 0, {}, openFailure);
    }
    void runEnded(bool passed) override { record(Kind::RunEnded, passed ? 1 : 0); }
    void postRefresh() override { record(Kind::Refresh, 0, 0, texts().snapshot()); }
    void setProgressRange(int lower, int upper) override { record(Kind::ProgressRange, lower, upper); }
    void setProgressPosition(int position) override { record(Kind::ProgressPosition, position); }

    std::optional<std::string> chooseReadBackFile() override
    {
        record(Kind::ChooseFile);
        std::lock_guard lock(mutex_);
        return readBackFileAnswer_;
    }

    void reportSaveFailure(const std::string& path, const std::string& reason) override
    {
        record(Kind::SaveFailure, 0, 0, {}, path + ": " + reason);
    }

    // What chooseReadBackFile answers; no value means the operator cancels.
    void answerReadBackFile(std::optional<std::string> path)
    {
        std::lock_guard lock(mutex_);
        readBackFileAnswer_ = std::move(path);
    }

    std::vector<Event> events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }

    void clearEvents()
    {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

    std::vector<Event> eventsOf(Kind kind) const
    {
        std::vector<Event> found;
        for (const Event& e : events())
            if (e.kind == kind)
                found.push_back(e);
        return found;
    }

    // The successive texts a step line showed at refreshes, repeats folded.
    std::vector<std::string> stepLineHistory(ProcedureStep step) const
    {
        return history([step](const WindowTextValues& t) { return t.stepLine(step); });
    }

    std::vector<std::string> mainStatusHistory() const
    {
        return history([](const WindowTextValues& t) { return t.mainStatus; });
    }

    std::vector<int> progressPositions() const
    {
        std::vector<int> positions;
        for (const Event& e : eventsOf(Kind::ProgressPosition))
            positions.push_back(e.first);
        return positions;
    }

private:
    void record(Kind kind, int first = 0, int second = 0, WindowTextValues texts = {}, std::string detail = {})
    {
        std::lock_guard lock(mutex_);
        events_.push_back(Event{kind, first, second, std::move(texts), std::move(detail)});
    }

    template <typename Select>
    std::vector<std::string> history(Select select) const
    {
        std::vector<std::string> seen;
        for (const Event& e : eventsOf(Kind::Refresh)) {
            std::string text = select(e.texts);
            if (seen.empty() || seen.back() != text)
                seen.push_back(std::move(text));
        }
        return seen;
    }

    mutable std::mutex mutex_;
    std::vector<Event> events_;
    std::optional<std::string> readBackFileAnswer_;
};

} // namespace orvex::test
