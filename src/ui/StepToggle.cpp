#include "ui/StepToggle.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace orvex::ui {

StepToggle::StepToggle(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void StepToggle::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    const bool pressedIn = checkState() != Qt::Unchecked || isDown();
    option.state |= pressedIn ? (QStyle::State_On | QStyle::State_Sunken) : QStyle::State_Raised;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    // The caption takes the whole face: the style's text margins would cut
    // the longest captions in a button as narrow as the layout's.
    QPalette captionColours = option.palette;
    if (checkState() == Qt::PartiallyChecked)
        captionColours.setCurrentColorGroup(QPalette::Disabled);
    painter.drawItemText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, captionColours, isEnabled(), text(),
                         QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void StepToggle::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool StepToggle::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

} // namespace orvex::ui
