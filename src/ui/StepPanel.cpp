#include "ui/StepPanel.h"

#include "notify/OperatorText.h"
#include "ui/ControlBuilder.h"
#include "ui/StepToggle.h"

#include <QLabel>

namespace orvex::ui {

namespace {

constexpr OperatorText kReadyLine = ORVEX_TEXT("StepPanel", "Gotowy...");
constexpr char kUntickedLine[] = "----------";

struct StepControls {
    const char* toggle;
    const char* line;
    std::uint16_t bit; // none for Reload, which the window does itself
};

// Indexed by ProcedureStep.
constexpr std::array<StepControls, kProcedureStepCount> kStepControls{{
    {"stepToggleReload", "stepLineReload", 0},
    {"stepToggleDetect", "stepLineDetect", StepBit::Detect},
    {"stepToggleErase", "stepLineErase", StepBit::Erase},
    {"stepToggleTestFF", "stepLineTestFF", StepBit::TestFF},
    {"stepToggleProgram", "stepLineProgram", StepBit::Program},
    {"stepToggleVerify", "stepLineVerify", StepBit::Verify},
    {"stepToggleRead", "stepLineRead", StepBit::Read},
}};

const StepControls& controlsOf(ProcedureStep step)
{
    return kStepControls[static_cast<std::size_t>(step)];
}

// 0 released, 1 pressed in, 2 the third state.
Qt::CheckState checkStateOf(int toggle)
{
    switch (toggle) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int toggleOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

} // namespace

StepPanel::StepPanel(const QWidget& clientArea)
{
    for (const ProcedureStep step : kSteps) {
        const auto index = static_cast<std::size_t>(step);
        toggles_[index] = &controlNamed<StepToggle>(clientArea, controlsOf(step).toggle);
        lines_[index] = &controlNamed<QLabel>(clientArea, controlsOf(step).line);
    }
}

// A check box given its state repaints, the same state or not, and with it
// the group box behind it; the window shows the toggles with every refresh
// a run posts, 10 times a second.
void StepPanel::showToggles(const ProcedureSettings& settings) const
{
    for (const ProcedureStep step : kSteps) {
        const Qt::CheckState state = checkStateOf(settings.toggle(step));
        if (toggle(step).checkState() != state)
            toggle(step).setCheckState(state);
    }
}

void StepPanel::readToggles(ProcedureSettings& settings) const
{
    for (const ProcedureStep step : kSteps)
        settings.toggle(step) = toggleOf(toggle(step).checkState());
}

void StepPanel::showLines(const WindowTextValues& texts) const
{
    for (const ProcedureStep step : kSteps)
        lines_[static_cast<std::size_t>(step)]->setText(QString::fromStdString(texts.stepLine(step)));
}

void StepPanel::resetLines(WindowTexts& texts, const ProcedureSettings& settings)
{
    for (const ProcedureStep step : kSteps)
        texts.setStepLine(step, settings.toggle(step) != 0 ? translated(kReadyLine) : kUntickedLine);
}

std::uint16_t StepPanel::stepSetOf(const ProcedureSettings& settings)
{
    std::uint16_t stepSet = 0;
    for (const ProcedureStep step : kSteps)
        if (settings.toggle(step) != 0)
            stepSet = static_cast<std::uint16_t>(stepSet | controlsOf(step).bit);
    return stepSet;
}

ProcedureSettings withShowableToggles(ProcedureSettings settings)
{
    for (int& toggle : settings.toggles)
        if (toggle < 0 || toggle > 2)
            toggle = 0;
    return settings;
}

} // namespace orvex::ui
