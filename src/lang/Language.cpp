#include "lang/Language.h"

#include "notify/OperatorText.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPaths.h"
#include "settings/SettingsText.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <string>

namespace orvex::lang {

namespace {

constexpr char kLanguageKey[] = "LANGUAGE";

std::string translateThroughQt(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source).toStdString();
}

// The one translator installed, none for Polish.
std::unique_ptr<QTranslator>& installedTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

void dropTranslation()
{
    installTextTranslator(nullptr);
    if (auto& translator = installedTranslator()) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

} // namespace

std::optional<Language> languageCalled(std::string_view code)
{
    if (code == "pl")
        return Language::Polish;
    if (code == "en")
        return Language::English;
    return std::nullopt;
}

Language configuredLanguage()
{
    SettingsFile config;
    config.loadReadOnly(configFilePath());
    const std::string code(trimmed(config.getString(kLanguageKey)));
    if (code.empty())
        return Language::Polish;
    if (const auto language = languageCalled(code))
        return *language;
    std::fprintf(stderr, "%s=%s in %s is not a language of this program (pl, en); using Polish\n", kLanguageKey,
                 code.c_str(), configFilePath().c_str());
    return Language::Polish;
}

QLocale numberLocale()
{
    // Only a language other than Polish installs a translator.
    return installedTranslator() ? QLocale::c() : QLocale(QLocale::Polish);
}

void useLanguage(Language language)
{
    dropTranslation();
    if (language == Language::Polish)
        return;
    auto translator = std::make_unique<QTranslator>();
    // Built into the program from orvex_en.ts, so a missing file is a build fault.
    if (!translator->load(QStringLiteral(":/lang/orvex_en.qm")))
        qFatal("the English translation is missing from the program's resources");
    QCoreApplication::installTranslator(translator.get());
    installedTranslator() = std::move(translator);
    installTextTranslator(translateThroughQt);
}

} // namespace orvex::lang
