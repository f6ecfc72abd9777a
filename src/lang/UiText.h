#pragma once

#include "notify/OperatorText.h"

#include <QCoreApplication>
#include <QString>

namespace orvex::lang {

// An operator's text as the widgets take it, in the language chosen.
inline QString uiText(OperatorText text)
{
    return QCoreApplication::translate(text.context, text.source);
}

} // namespace orvex::lang
