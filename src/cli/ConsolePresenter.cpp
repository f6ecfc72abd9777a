#include "cli/ConsolePresenter.h"

#include "cli/OutputLock.h"
#include "engine/RunTexts.h"
#include "notify/OperatorText.h"

namespace orvex::cli {

ConsolePresenter::ConsolePresenter(std::FILE* out, std::FILE* err, std::optional<std::string> readBackFile)
    : out_(out), err_(err), readBackFile_(std::move(readBackFile)), progress_(err)
{
}

void ConsolePresenter::onRunEvent(const RunEvent& event)
{
    if (!showingLines_)
        return;
    if (const auto* progress = std::get_if<StepProgress>(&event)) {
        if (!linePrefix_.empty())
            return;
        if (progress->done == 0)
            progress_.setRange(0, progress->total);
        progress_.setPosition(progress->done);
    } else if (const auto* finished = std::get_if<StepFinished>(&event)) {
        // Power on and off have no status line of their own.
        if (RunTexts::statusLineOf(finished->step))
            printLine(finished->text);
    } else if (const auto* runEnd = std::get_if<RunFinished>(&event)) {
        printLine(runEnd->message);
    }
}

void ConsolePresenter::reportSaveFailure(const std::string& path, const std::string& reason)
{
    const std::lock_guard lock(outputLock());
    progress_.clear();
    std::fprintf(err_, "orvex-cli: %s%s\n", linePrefix_.c_str(),
                 translated(ORVEX_TEXT("ConsolePresenter", "cannot write %1: %2"), {path, reason}).c_str());
}

void ConsolePresenter::printLine(const std::string& text)
{
    const std::lock_guard lock(outputLock());
    progress_.clear();
    std::fprintf(out_, "%s%s\n", linePrefix_.c_str(), text.c_str());
    std::fflush(out_);
}

} // namespace orvex::cli
