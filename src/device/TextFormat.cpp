#include "device/TextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace orvex {

namespace {

// The application object sets the C library's locale from the environment, so
// "%.3f" would write a decimal comma under a Polish one. The texts have one
// fixed form: they are always formatted in the C locale, on this thread only,
// so other threads keep whatever locale they use.
#ifdef _WIN32
_locale_t cLocale()
{
    static const _locale_t c = _create_locale(LC_ALL, "C");
    return c;
}

int formatInCLocale(char* buffer, std::size_t size, const char* format, va_list args)
{
    if (buffer == nullptr)
        return _vscprintf_l(format, cLocale(), args);
    return _vsnprintf_s_l(buffer, size, _TRUNCATE, format, cLocale(), args);
}
#else
class CLocaleOnThisThread {
public:
    CLocaleOnThisThread() : previous_(c() != locale_t{} ? uselocale(c()) : locale_t{}) {}
    ~CLocaleOnThisThread()
    {
        if (previous_ != locale_t{})
            uselocale(previous_);
    }
    CLocaleOnThisThread(const CLocaleOnThisThread&) = delete;
    CLocaleOnThisThread& operator=(const CLocaleOnThisThread&) = delete;

private:
    static locale_t c()
    {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        return cLocale;
    }

    locale_t previous_;
};

int formatInCLocale(char* buffer, std::size_t size, const char* format, va_list args)
{
    const CLocaleOnThisThread cLocale;
    return std::vsnprintf(buffer, size, format, args);
}
#endif

} // namespace

std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = formatInCLocale(nullptr, 0, format, measure);
    va_end(measure);

    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        formatInCLocale(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    // A "%c" given a NUL ends the text there, as it would a C string; no NUL
    // byte may reach a label or a terminal.
    text.resize(std::strlen(text.c_str()));
    return text;
}

} // namespace orvex
