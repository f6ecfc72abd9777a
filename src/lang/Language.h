#pragma once

#include <QLocale>

#include <optional>
#include <string_view>

namespace orvex::lang {

// The languages the programs speak. Polish is their own; the others are
// translations of it.
enum class Language { Polish, English };

// "pl" or "en"; none for anything else.
std::optional<Language> languageCalled(std::string_view code);

// LANGUAGE in config.cfg (after deriveProgramDirectory()). Polish when the
// key is missing, and when it names a language there is none of, which is
// said on standard error: a wrong key must not keep a line from working.
Language configuredLanguage();

// Shows every text in the language from now on: the Qt translation for the
// widgets, and the same for the texts of the engine, which needs no Qt.
// Polish takes any translation away again. Call it before any worker thread
// runs, with a QCoreApplication in place.
void useLanguage(Language language);

// How numbers are written for the operator: with a decimal comma in Polish.
QLocale numberLocale();

} // namespace orvex::lang
