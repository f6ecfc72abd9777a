#pragma once

#include "ui/DialogTemplate.h"

#include <QRect>
#include <QSize>

class QFont;

namespace orvex::ui {

// Converts dialog units to pixels with the metrics of the dialog's own font,
// so a layout drawn for one font keeps its proportions in another: across, a
// quarter of the average width of "A".."Z" and "a".."z"; down, an eighth of
// the font's height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    // Edges are rounded rather than sizes, so that controls that touch in
    // dialog units touch in pixels too.
    QRect toPixels(const DialogRect& rect) const;
    QSize toPixels(const DialogSize& size) const;

private:
    int pixelsAcross(int units) const;
    int pixelsDown(int units) const;

    double pixelsPerUnitAcross_;
    double pixelsPerUnitDown_;
};

} // namespace orvex::ui
