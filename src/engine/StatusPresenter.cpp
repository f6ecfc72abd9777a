#include "engine/StatusPresenter.h"

#include "engine/RunTexts.h"

namespace orvex {

void StatusPresenter::onRunEvent(const RunEvent& event)
{
    std::visit([this](const auto& e) { show(e); }, event);
}

void StatusPresenter::show(const RunStarted&)
{
    notifier_.setRunLamp(LampState::Blue);
}

void StatusPresenter::show(const StepStarted& started)
{
    const auto line = RunTexts::statusLineOf(started.step);
    const auto text = RunTexts::startLine(started.step);
    if (!line || !text)
        return;
    notifier_.texts().setStepLine(*line, *text);
    notifier_.texts().setMainStatus(RunTexts::startMainStatus(started.step).value_or(std::string()));
    notifier_.postRefresh();
}

void StatusPresenter::show(const StepProgress& progress)
{
    if (progress.done == 0) {
        notifier_.setProgressRange(0, progress.total);
        notifier_.setProgressPosition(0);
        return;
    }
    const ProcedureStep line = RunTexts::statusLineOf(progress.step).value_or(ProcedureStep::Read);
    const std::string text = RunTexts::progressLine(progress.step, progress.done, progress.total);
    // A read shows its line before the bar moves; program and verify the other
    // way round, as they always have.
    if (progress.step != RunStep::Read)
        notifier_.setProgressPosition(progress.done);
    notifier_.texts().setStepLine(line, text);
    notifier_.postRefresh();
    if (progress.step == RunStep::Read)
        notifier_.setProgressPosition(progress.done);
}

void StatusPresenter::show(const StepFinished& finished)
{
    WindowTexts& texts = notifier_.texts();
    const auto line = RunTexts::statusLineOf(finished.step);
    if (!line) {
        // Power on and off have no line; only their failure is shown.
        if (finished.ok())
            return;
        texts.setMainStatus(finished.text);
    } else if (finished.step == RunStep::Detect) {
        // No refresh here: the next one of the run shows the line.
        texts.setStepLine(*line, finished.text);
        return;
    } else {
        texts.setStepLine(*line, finished.text);
        // Only the blank test leaves its verdict in the main status text.
        texts.setMainStatus(finished.step == RunStep::Erase ? std::string() : finished.text);
    }
    notifier_.postRefresh();
}

void StatusPresenter::show(const RunFinished& finished)
{
    // The chip did all it was asked, but data read and not saved is lost:
    // the lamp does not say that all went well.
    const bool passed = finished.ok() && !finished.readBackLost();
    notifier_.setRunLamp(passed ? LampState::Green : LampState::Red);
    notifier_.texts().setMainStatus(finished.message);
    notifier_.runEnded(passed);
    notifier_.postRefresh();
}

} // namespace orvex
