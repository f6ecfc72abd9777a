#pragma once

#include "cli/ProgressBar.h"
#include "notify/WorkerNotifier.h"

#include <cstdio>
#include <optional>
#include <string>

namespace orvex::cli {

// Shows a run on a terminal or in a log: each step's status line once its
// command is done with it, then the run's result line, on standard output;
// a progress bar on standard error while blocks move, when that is a terminal.
// The lamps and the controls of a window have nothing to show here.
class ConsoleNotifier : public WorkerNotifier {
public:
    ConsoleNotifier(std::FILE* out, std::FILE* err, std::optional<std::string> readBackFile);

    void setRunLamp(LampState) override {}
    void setPortLamp(LampState) override {}
    void enableControls(bool) override {}
    void postRefresh() override;
    void setProgressRange(int lower, int upper) override { progress_.setRange(lower, upper); }
    void setProgressPosition(int position) override { progress_.setPosition(position); }
    std::optional<std::string> chooseReadBackFile() override { return readBackFile_; }
    void reportSaveFailure(const std::string& path, const std::string& reason) override;

    // The line of the step the run ended in, then the run's result line.
    void showRunEnd(const std::string& resultLine);
    bool saveFailed() const { return saveFailed_; }

private:
    void printLine(const std::string& text);

    std::FILE* out_;
    std::FILE* err_;
    std::optional<std::string> readBackFile_;
    ProgressBar progress_;
    bool saveFailed_ = false;
    WindowTextValues shown_;
    // The step whose command is under way: the steps run in the order of
    // ProcedureStep, so once a later step's line changes, this one is done.
    std::optional<ProcedureStep> current_;
};

} // namespace orvex::cli
