#pragma once

#include "notify/ProcedureStep.h"
#include "notify/WindowTexts.h"
#include "settings/ProcedureSettings.h"

#include <array>
#include <cstdint>

class QLabel;
class QWidget;

namespace orvex::ui {

class StepToggle;

// The seven step toggles of the main window and the status line beside each:
// what the operator ticks goes into the procedure settings and the step set
// of a run, and each line shows its step's text.
class StepPanel {
public:
    // The toggles and lines are found by name in the window's client area.
    explicit StepPanel(const QWidget& clientArea);

    static constexpr std::array kSteps{ProcedureStep::Reload, ProcedureStep::Detect,  ProcedureStep::Erase,
                                       ProcedureStep::TestFF, ProcedureStep::Program, ProcedureStep::Verify,
                                       ProcedureStep::Read};

    StepToggle& toggle(ProcedureStep step) const { return *toggles_[static_cast<std::size_t>(step)]; }

    void showToggles(const ProcedureSettings& settings) const;
    void readToggles(ProcedureSettings& settings) const;
    void showLines(const WindowTextValues& texts) const;
    // "Gotowy..." on each ticked step's line, a dash line on the others.
    static void resetLines(WindowTexts& texts, const ProcedureSettings& settings);
    // The bits of the ticked steps; Reload, which the window does itself, has none.
    static std::uint16_t stepSetOf(const ProcedureSettings& settings);

private:
    std::array<StepToggle*, kProcedureStepCount> toggles_{};
    std::array<QLabel*, kProcedureStepCount> lines_{};
};

// A toggle of the file that none of the three states stands for is released.
ProcedureSettings withShowableToggles(ProcedureSettings settings);

} // namespace orvex::ui
