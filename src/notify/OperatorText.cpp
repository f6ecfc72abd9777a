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

} // namespace orvex
