#pragma once

#include <QCheckBox>

namespace orvex::ui {

// A step's toggle: a check box drawn as a push button, pressed in while
// ticked. It has a third state (pressed in, caption greyed) for a value of 2
// from the settings; a click ticks it from there, as from unticked.
class StepToggle : public QCheckBox {
    Q_OBJECT

public:
    explicit StepToggle(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    bool hitButton(const QPoint& pos) const override;
};

} // namespace orvex::ui
