#include "ui/DialogUnits.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <cmath>

namespace orvex::ui {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr double kAlphabetLength = 52.0;
constexpr double kQuartersPerCharacter = 4.0;
constexpr double kEighthsPerLine = 8.0;

} // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double averageWidth = metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) / kAlphabetLength;
    pixelsPerUnitAcross_ = averageWidth / kQuartersPerCharacter;
    pixelsPerUnitDown_ = metrics.height() / kEighthsPerLine;
}

QRect DialogUnits::toPixels(const DialogRect& rect) const
{
    const int left = pixelsAcross(rect.x);
    const int top = pixelsDown(rect.y);
    return QRect(left, top, pixelsAcross(rect.x + rect.width) - left, pixelsDown(rect.y + rect.height) - top);
}

QSize DialogUnits::toPixels(const DialogSize& size) const
{
    return QSize(pixelsAcross(size.width), pixelsDown(size.height));
}

int DialogUnits::pixelsAcross(int units) const
{
    return static_cast<int>(std::lround(units * pixelsPerUnitAcross_));
}

int DialogUnits::pixelsDown(int units) const
{
    return static_cast<int>(std::lround(units * pixelsPerUnitDown_));
}

} // namespace orvex::ui
