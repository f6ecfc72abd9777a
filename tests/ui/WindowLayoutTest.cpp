#include "lang/Language.h"
#include "ui/AboutDialog.h"
#include "ui/ControlBuilder.h"
#include "ui/DialogTemplate.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <span>

using namespace orvex::ui;

namespace {

bool isFrame(const ControlRow& row)
{
    return row.kind == ControlKind::GroupBox;
}

// Room the control leaves for its text, after its frame or margins.
int textRoom(const QWidget& control, const ControlRow& row)
{
    switch (row.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        return control.width() - 2 * control.style()->pixelMetric(QStyle::PM_ButtonMargin);
    case ControlKind::RadioButton:
        return control.width()
               - (control.sizeHint().width() - control.fontMetrics().horizontalAdvance(templateText(row.text)));
    case ControlKind::Label:
    case ControlKind::SunkenText:
    case ControlKind::CentredText:
        return static_cast<const QLabel&>(control).contentsRect().width();
    default:
        return control.width() - 4;
    }
}

// Builds a template's controls with the application's font and checks what
// the operator would see: every text whole, nothing sticking out of the
// dialog, no control on top of another (group boxes only frame the others).
void expectReadableLayout(std::span<const ControlRow> rows, DialogSize size)
{
    QWidget area;
    const DialogUnits units(area.font());
    buildControls(area, rows, units);
    const QRect client(QPoint(0, 0), units.toPixels(size));

    for (const ControlRow& row : rows) {
        const auto& control = controlNamed<QWidget>(area, row.name);
        const QString text = templateText(row.text);
        const int textWidth = control.fontMetrics().horizontalAdvance(text);
        EXPECT_LE(textWidth, textRoom(control, row)) << row.name << " cuts \"" << text.toStdString() << '"';
        EXPECT_TRUE(client.contains(control.geometry())) << row.name << " sticks out of the dialog";
        for (const ControlRow& other : rows) {
            if (&other == &row || isFrame(row) || isFrame(other))
                continue;
            EXPECT_FALSE(control.geometry().intersects(controlNamed<QWidget>(area, other.name).geometry()))
                << row.name << " covers " << other.name;
        }
    }
}

} // namespace

TEST(WindowLayout, MainWindowShowsEveryTextWholeWithoutOverlaps)
{
    expectReadableLayout(kMainDialogControls, kMainDialogSize);
}

// The English texts are longer here and there; they must fit all the same.
TEST(WindowLayout, MainWindowShowsEveryEnglishTextWhole)
{
    orvex::lang::useLanguage(orvex::lang::Language::English);
    EXPECT_EQ(templateText("Wykonaj Program"), "Run program") << "the translation is in place";
    expectReadableLayout(kMainDialogControls, kMainDialogSize);
    orvex::lang::useLanguage(orvex::lang::Language::Polish);
}

TEST(WindowLayout, AboutBoxShowsIconVersionAndDefaultOk)
{
    expectReadableLayout(kAboutDialogControls, kAboutDialogSize);

    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About Vantorix");
    const auto& version = controlNamed<QLabel>(about, "versionText");
    EXPECT_EQ(version.text(), "Vantorix Version 1.0.2");
    EXPECT_EQ(version.textFormat(), Qt::PlainText);
    EXPECT_FALSE(controlNamed<QLabel>(about, "aboutIcon").pixmap().isNull());
    EXPECT_EQ(about.minimumSize(), about.maximumSize()) << "fixed size";

    auto& ok = controlNamed<QPushButton>(about, "okButton");
    EXPECT_TRUE(ok.isDefault());
    about.show();
    ok.click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}
