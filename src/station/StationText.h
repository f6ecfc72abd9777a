#pragma once

#include <QString>

#include <string>

namespace orvex::station {

// A UTF-8 text as the window's widgets take it.
inline QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A text of the window with %1, %2, ... filled in one pass, so that a file
// name holding "%2" stays as it is.
template <typename... Values>
std::string fillText(const char* format, const Values&... values)
{
    return QString::fromUtf8(format).arg(QString::fromStdString(values)...).toStdString();
}

} // namespace orvex::station
