#include "ui/ControlBuilder.h"

#include "ui/CachedGroupBox.h"
#include "ui/RecentFilesCombo.h"
#include "ui/StepToggle.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace orvex::ui {

QString templateText(const char* text)
{
    return QCoreApplication::translate("DialogTemplate", text);
}

namespace {

QLabel* makeText(const QString& text, Qt::Alignment alignment)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    return label;
}

QLabel* makeSunkenText(const QString& text)
{
    QLabel* label = makeText(text, Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QPushButton* makePushButton(const QString& text, bool isDefault)
{
    auto* button = new QPushButton(text);
    // Only the default button answers Enter, whichever button has the focus:
    // Enter must start a run, never close the window.
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

QProgressBar* makeProgressBar()
{
    auto* bar = new QProgressBar;
    bar->setTextVisible(false);
    // An empty range would show Qt's busy animation until the first transfer.
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QWidget* makeControl(const ControlRow& row)
{
    const QString text = templateText(row.text);
    switch (row.kind) {
    case ControlKind::PushButton:
        return makePushButton(text, false);
    case ControlKind::DefaultButton:
        return makePushButton(text, true);
    case ControlKind::GroupBox:
        return new CachedGroupBox(text);
    case ControlKind::Label:
        return makeText(text, Qt::AlignLeft | Qt::AlignVCenter);
    case ControlKind::SunkenText:
        return makeSunkenText(text);
    case ControlKind::CentredText:
        return makeText(text, Qt::AlignCenter);
    case ControlKind::RecentCombo:
        return new RecentFilesCombo;
    case ControlKind::StepToggle:
        return new StepToggle(text);
    case ControlKind::RadioButton:
        return new QRadioButton(text);
    case ControlKind::ProgressBar:
        return makeProgressBar();
    case ControlKind::Icon:
        return makeText({}, Qt::AlignLeft | Qt::AlignTop);
    }
    return nullptr;
}

QRect placeFor(const ControlRow& row, const QWidget& control, const DialogUnits& units)
{
    QRect place = units.toPixels(row.rect);
    switch (row.kind) {
    case ControlKind::Label:
    case ControlKind::RadioButton:
        place.setWidth(std::max(place.width(), control.sizeHint().width()));
        break;
    case ControlKind::RecentCombo:
        // The template's height is that of the dropped-down list.
        place.setHeight(control.sizeHint().height());
        break;
    default:
        break;
    }
    return place;
}

} // namespace

void buildControls(QWidget& parent, std::span<const ControlRow> rows, const DialogUnits& units)
{
    for (const ControlRow& row : rows) {
        QWidget* control = makeControl(row);
        control->setObjectName(QString::fromLatin1(row.name));
        control->setParent(&parent);
        control->setGeometry(placeFor(row, *control, units));
        // Group boxes only frame their neighbours; kept at the bottom, they
        // never cover a control the template places inside them.
        if (row.kind == ControlKind::GroupBox)
            control->lower();
    }
}

} // namespace orvex::ui
