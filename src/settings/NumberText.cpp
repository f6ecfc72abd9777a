#include "settings/NumberText.h"

#include "settings/SettingsText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <limits>

#ifndef _WIN32
#include <locale.h>
#endif

namespace orvex {

namespace {

// Anything above this behaves alike for 32-bit results, so accumulating stops
// here instead of overflowing.
constexpr std::uint64_t kMagnitudeCap = std::uint64_t{1} << 33;

struct DecimalPrefix {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t skipWhiteSpace(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && isWhiteSpace(text[at]))
        ++at;
    return at;
}

std::size_t skipSign(std::string_view text, std::size_t at)
{
    return (at < text.size() && (text[at] == '+' || text[at] == '-')) ? at + 1 : at;
}

DecimalPrefix readDecimalPrefix(std::string_view text)
{
    const std::size_t signAt = skipWhiteSpace(text);
    std::size_t at = skipSign(text, signAt);
    DecimalPrefix prefix;
    prefix.negative = at > signAt && text[signAt] == '-';
    for (; at < text.size() && isDigit(text[at]); ++at)
        prefix.magnitude = std::min(prefix.magnitude * 10 + static_cast<unsigned>(text[at] - '0'), kMagnitudeCap);
    return prefix;
}

bool startsPlainDecimal(std::string_view text, std::size_t at)
{
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("0x") || rest.starts_with("0X"))
        return false; // "0" then a stray letter: the conversion would read hexadecimal
    return !rest.empty() && (isDigit(rest[0]) || (rest.size() > 1 && rest[0] == '.' && isDigit(rest[1])));
}

double strtodInCLocale(const char* text)
{
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, nullptr, cLocale);
#else
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    return strtod_l(text, nullptr, cLocale);
#endif
}

} // namespace

std::int32_t parseInt32(std::string_view text)
{
    const DecimalPrefix prefix = readDecimalPrefix(text);
    const auto value = static_cast<std::int64_t>(prefix.magnitude);
    const std::int64_t signedValue = prefix.negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(signedValue, std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t parseUInt32(std::string_view text)
{
    const DecimalPrefix prefix = readDecimalPrefix(text);
    if (prefix.magnitude > std::numeric_limits<std::uint32_t>::max())
        return std::numeric_limits<std::uint32_t>::max();
    const auto value = static_cast<std::uint32_t>(prefix.magnitude);
    return prefix.negative ? 0u - value : value;
}

double parseDouble(const std::string& text)
{
    const std::size_t start = skipWhiteSpace(text);
    if (!startsPlainDecimal(text, skipSign(text, start)))
        return 0.0;
    return strtodInCLocale(text.c_str() + start);
}

std::string formatDouble(double value)
{
    // Room for the 309 integer digits of the largest double, sign and fraction.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 6);
    return std::string(buffer.data(), result.ptr);
}

} // namespace orvex
