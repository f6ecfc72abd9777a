#pragma once

#include "ui/DialogTemplate.h"
#include "ui/DialogUnits.h"

#include <QWidget>

#include <span>

namespace orvex::ui {

// Creates the controls of a dialog template as children of parent, in the
// table's order (which is the tab order), each named and placed as the table
// says. Captions and radio buttons are widened to their text where the font
// needs more room than the template gives; nothing else is moved.
void buildControls(QWidget& parent, std::span<const ControlRow> rows, const DialogUnits& units);

// A template's text in the language chosen.
QString templateText(const char* text);

// The control that buildControls made under that name; a name missing from
// the template is a programming error.
template <typename Control>
Control& controlNamed(const QWidget& parent, const char* name)
{
    auto* control = parent.findChild<Control*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    if (control == nullptr)
        qFatal("dialog template has no control %s of the expected kind", name);
    return *control;
}

} // namespace orvex::ui
