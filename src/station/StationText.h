#pragma once

#include "lang/UiText.h"
#include "notify/OperatorText.h"

#include <QString>

#include <string>

namespace orvex::station {

// A UTF-8 text as the window's widgets take it.
inline QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// One of the window's own texts, in the language chosen.
inline QString text(OperatorText own)
{
    return lang::uiText(own);
}

// A text of the window in the language chosen, with %1, %2, ... filled in
// one pass, so that a file name holding "%2" stays as it is.
template <typename... Values>
std::string fillText(OperatorText format, const Values&... values)
{
    return translated(format, {values...});
}

} // namespace orvex::station
