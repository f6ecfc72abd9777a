#include "station/StatusLine.h"

#include <QPainter>

namespace orvex::station {

namespace {

// Room for the longest step line, "Weryfikacja : 131072/131072", and more.
constexpr int kTypicalCharacters = 40;
constexpr int kMargin = 4;

} // namespace

StatusLine::StatusLine(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusLine::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

QSize StatusLine::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.averageCharWidth() * kTypicalCharacters + 2 * (frameWidth() + kMargin),
            metrics.height() + 2 * (frameWidth() + kMargin)};
}

QSize StatusLine::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 10, sizeHint().height()};
}

void StatusLine::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(kMargin, 0, -kMargin, 0);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
}

} // namespace orvex::station
