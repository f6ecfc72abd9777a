#include "image/HexLineReader.h"

#include <algorithm>

namespace orvex {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view trimmed(std::string_view line)
{
    const auto first = line.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kWhiteSpace) - first + 1);
}

} // namespace

std::size_t HexLineReader::findLineEnd(std::size_t position) const
{
    return std::min(text_.find('\n', position), text_.size());
}

std::optional<std::string_view> HexLineReader::next()
{
    if (finished_)
        return std::nullopt;
    const std::size_t end = std::min(findLineEnd(position_), position_ + kMaxHexLineLength);
    std::string_view line = text_.substr(position_, end - position_);
    line = line.substr(0, line.find('\0'));
    position_ = end + 1;
    finished_ = end >= text_.size();
    return trimmed(line);
}

} // namespace orvex
