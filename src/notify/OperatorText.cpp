#include "notify/OperatorText.h"

namespace orvex {

namespace {

// Written only while no other thread runs, so the workers read it unlocked.
TextTranslator installedTranslator = nullptr;

} // namespace

void installTextTranslator(TextTranslator translator)
{
    installedTranslator = translator;
}

std::string translated(OperatorText text)
{
    return installedTranslator ? installedTranslator(text.context, text.source) : std::string(text.source);
}

std::string translated(OperatorText format, std::initializer_list<std::string_view> values)
{
    const std::string pattern = translated(format);
    std::string text;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const bool placeholder =
            pattern[at] == '%' && at + 1 < pattern.size() && pattern[at + 1] >= '1' && pattern[at + 1] <= '9';
        const auto index = placeholder ? static_cast<std::size_t>(pattern[at + 1] - '1') : values.size();
        if (index < values.size()) {
            text += values.begin()[index];
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

} // namespace orvex
