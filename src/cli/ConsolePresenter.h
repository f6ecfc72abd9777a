#pragma once

#include "cli/ProgressBar.h"
#include "notify/ReadBackPrompt.h"
#include "notify/RunEvents.h"

#include <cstdio>
#include <optional>
#include <string>

namespace orvex::cli {

// Shows a run on a terminal or in a log: each step's status line once the
// step is over, then the run's result line, on standard output; a progress
// bar on standard error while blocks move, when that is a terminal. Also
// answers where the read-back goes: where the options said.
class ConsolePresenter final : public RunObserver, public ReadBackPrompt {
public:
    ConsolePresenter(std::FILE* out, std::FILE* err, std::optional<std::string> readBackFile);

    void onRunEvent(const RunEvent& event) override;
    std::optional<std::string> chooseReadBackFile() override { return readBackFile_; }
    void reportSaveFailure(const std::string& path, const std::string& reason) override;

    // Before the run is asked for: a job's read-back path is known only then.
    void setReadBackFile(std::optional<std::string> path) { readBackFile_ = std::move(path); }
    // Off for --json: the events are shown by their writer instead.
    void setShowingLines(bool showing) { showingLines_ = showing; }
    // With several units each line starts with its port, and there is no
    // progress bar: one line redrawn in place cannot show several transfers.
    void setLinePrefix(std::string prefix) { linePrefix_ = std::move(prefix); }

private:
    void printLine(const std::string& text);

    std::FILE* out_;
    std::FILE* err_;
    std::optional<std::string> readBackFile_;
    ProgressBar progress_;
    bool showingLines_ = true;
    std::string linePrefix_;
};

} // namespace orvex::cli
