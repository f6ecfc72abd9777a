#include "engine/RunReporter.h"

#include "engine/RunTexts.h"

namespace orvex {

void RunReporter::onRunEvent(const RunEvent& event)
{
    if (const auto* finished = std::get_if<StepFinished>(&event)) {
        StepFinished described = *finished;
        described.text = RunTexts::finishedLine(described);
        forward(described);
    } else {
        forward(event);
    }
}

void RunReporter::forward(const RunEvent& event)
{
    for (RunObserver* observer : observers_)
        observer->onRunEvent(event);
}

} // namespace orvex
