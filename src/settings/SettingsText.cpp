#include "settings/SettingsText.h"

#include <algorithm>
#include <limits>

namespace orvex {

namespace {

constexpr std::string_view kLineEnd = "\n\r";

bool isWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char toLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string readLine(std::string_view raw)
{
    return std::string(trimmed(trimmed(raw).substr(0, kMaxLineLength)));
}

// Anything above this behaves alike for 32-bit results, so accumulating stops
// here instead of overflowing.
constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 33;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::int32_t parseInt32(std::string_view text)
{
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    std::int64_t magnitude = 0;
    for (std::size_t at = 0; at < text.size() && isDigit(text[at]); ++at)
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), kMagnitudeCap);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(negative ? -magnitude : magnitude,
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::string_view keyOf(std::string_view line)
{
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view{} : trimmed(line.substr(0, equals));
}

std::string_view valueOf(std::string_view line)
{
    const std::size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1);
}

bool sameKey(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return toLowerAscii(x) == toLowerAscii(y); });
}

std::vector<std::string> splitLines(std::string_view content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf = content.find('\n'); lf != std::string_view::npos; lf = content.find('\n', start)) {
        lines.push_back(readLine(content.substr(start, lf - start)));
        start = lf + 1;
    }
    if (start < content.size())
        lines.push_back(readLine(content.substr(start)));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string content;
    for (const std::string& line : lines) {
        const std::string_view text = trimmed(line);
        if (text.empty())
            continue;
        content.append(text);
        content.append(kLineEnd);
    }
    return content;
}

} // namespace orvex
