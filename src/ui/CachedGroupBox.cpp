#include "ui/CachedGroupBox.h"

#include <QPainter>
#include <QStyleOptionGroupBox>

namespace orvex::ui {

void CachedGroupBox::paintEvent(QPaintEvent*)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const Drawn wanted{size(), devicePixelRatioF(), option.text, option.state, palette().cacheKey(), font().key()};
    if (drawing_.isNull() || !(wanted == drawn_)) {
        drawing_ = QPixmap(size() * wanted.pixelRatio);
        drawing_.setDevicePixelRatio(wanted.pixelRatio);
        drawing_.fill(Qt::transparent);
        QPainter painter(&drawing_);
        painter.setFont(font());
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        drawn_ = wanted;
    }
    QPainter(this).drawPixmap(0, 0, drawing_);
}

} // namespace orvex::ui
