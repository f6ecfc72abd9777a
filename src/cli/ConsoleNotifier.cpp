#include "cli/ConsoleNotifier.h"

namespace orvex::cli {

ConsoleNotifier::ConsoleNotifier(std::FILE* out, std::FILE* err, std::optional<std::string> readBackFile)
    : out_(out), err_(err), readBackFile_(std::move(readBackFile)), progress_(err)
{
}

void ConsoleNotifier::postRefresh()
{
    const WindowTextValues now = texts().snapshot();
    for (int i = 0; i < kProcedureStepCount; ++i) {
        const auto step = static_cast<ProcedureStep>(i);
        if (now.stepLine(step) == shown_.stepLine(step))
            continue;
        if (current_ && *current_ != step)
            printLine(now.stepLine(*current_));
        current_ = step;
    }
    shown_ = now;
}

void ConsoleNotifier::showRunEnd(const std::string& resultLine)
{
    if (current_)
        printLine(shown_.stepLine(*current_));
    current_.reset();
    printLine(resultLine);
}

void ConsoleNotifier::reportSaveFailure(const std::string& path, const std::string& reason)
{
    saveFailed_ = true;
    progress_.clear();
    std::fprintf(err_, "orvex-cli: cannot write %s: %s\n", path.c_str(), reason.c_str());
}

void ConsoleNotifier::printLine(const std::string& text)
{
    progress_.clear();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

} // namespace orvex::cli
