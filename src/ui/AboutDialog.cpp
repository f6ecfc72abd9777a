#include "ui/AboutDialog.h"

#include "ui/ControlBuilder.h"
#include "ui/Icons.h"

#include <QLabel>
#include <QPushButton>

namespace orvex::ui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(templateText(kAboutDialogCaption));
    const DialogUnits units(font());
    buildControls(*this, kAboutDialogControls, units);
    setFixedSize(units.toPixels(kAboutDialogSize));

    QLabel& icon = controlNamed<QLabel>(*this, "aboutIcon");
    icon.setPixmap(programPixmap(std::min(icon.width(), icon.height())));
    auto& ok = controlNamed<QPushButton>(*this, "okButton");
    connect(&ok, &QPushButton::clicked, this, &QDialog::accept);
    ok.setFocus();
}

} // namespace orvex::ui
