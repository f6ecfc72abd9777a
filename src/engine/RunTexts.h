#pragma once

#include "notify/ProcedureStep.h"
#include "notify/RunEvents.h"

#include <cstdint>
#include <optional>
#include <string>

// The words a run shows the operator, made from its events: the status line
// of each step and the result line. The window and the command line both
// take them from here. They are the program's own fixed texts; keep them
// exactly as they are: other languages translate them (notify/OperatorText.h).
namespace orvex::RunTexts {

// The window's status line of a step; none for power on and off, which
// show only in the main status text.
std::optional<ProcedureStep> statusLineOf(RunStep step);

// What the step's line says while it runs ("Kasowanie FLASH... "), and the
// main status text beside it; none for steps that show nothing at their start.
std::optional<std::string> startLine(RunStep step);
std::optional<std::string> startMainStatus(RunStep step);

// The line while blocks move: "Programowanie : 640/1000".
std::string progressLine(RunStep step, int done, int total);

// The line a step ends with; for power on and off, the main status text of
// their failure, and empty when they succeed.
std::string finishedLine(const StepFinished& finished);

// The run's result line: the failing step's message, or the time taken,
// and then whether data read back was lost.
std::string runMessage(const RunFinished& finished);

} // namespace orvex::RunTexts
