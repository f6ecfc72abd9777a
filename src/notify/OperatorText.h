#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace orvex {

// A text the operator reads, as the program writes it (Polish, UTF-8), with
// the context its translations are filed under. lupdate is told that
// ORVEX_TEXT is QT_TRANSLATE_NOOP, so every text marked with it lands in the
// translation file; the translation is looked up only where the text is shown.
struct OperatorText {
    const char* context;
    const char* source;
};

#define ORVEX_TEXT(context, source)                                                                                    \
    ::orvex::OperatorText                                                                                              \
    {                                                                                                                  \
        context, source                                                                                                \
    }

// Looks up the translation of a text; gets and returns UTF-8.
using TextTranslator = std::string (*)(const char* context, const char* source);

// Installed once at start-up, before any worker thread runs, or with no
// thread running (tests); nullptr goes back to the program's own words.
void installTextTranslator(TextTranslator translator);

// The text in the language chosen; the source itself when none was.
std::string translated(OperatorText text);

// The same with %1 to %9 filled in one pass, byte for byte: a value holding
// "%2", or bytes that are not UTF-8 (a file name), stays as it is.
std::string translated(OperatorText format, std::initializer_list<std::string_view> values);

} // namespace orvex
