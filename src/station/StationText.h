#pragma once

#include <QString>

#include <string>

namespace orvex::station {

// A text of the window with %1, %2, ... filled in one pass, so that a file
// name holding "%2" stays as it is.
template <typename... Values>
std::string fillText(const char* format, const Values&... values)
{
    return QString::fromUtf8(format).arg(QString::fromStdString(values)...).toStdString();
}

} // namespace orvex::station
