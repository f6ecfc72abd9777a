#include "image/HexLineReader.h"

#include <algorithm>
#include <cstring>

namespace orvex {

namespace {

// Blank, tab, carriage return, line feed, vertical tab, form feed. Asked of
// both ends of every line, so it is a plain comparison and no search.
bool isWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && isWhiteSpace(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isWhiteSpace(line.back()))
        line.remove_suffix(1);
    return line;
}

} // namespace

// Where the line from position ends: at its line feed, at the end of the text,
// or after kMaxHexLineLength characters, whichever comes first. Nothing past
// the limit can change the answer, so the search stops there: a long text
// without line feeds is cut in linear time.
std::size_t HexLineReader::findLineEnd(std::size_t position) const
{
    const std::size_t searched = std::min(text_.size() - position, kMaxHexLineLength);
    const void* lineFeed = std::memchr(text_.data() + position, '\n', searched);
    if (lineFeed == nullptr)
        return position + searched;
    return static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text_.data());
}

// The first NUL at or after position, or the end of the text. One search
// serves every line up to the NUL it finds, so a text without NULs (any real
// HEX file) is searched for them once and not once per line.
std::size_t HexLineReader::findNul(std::size_t position)
{
    if (!nulSearched_ || nextNul_ < position) {
        nulSearched_ = true;
        const void* nul = std::memchr(text_.data() + position, '\0', text_.size() - position);
        nextNul_ =
            nul == nullptr ? text_.size() : static_cast<std::size_t>(static_cast<const char*>(nul) - text_.data());
    }
    return nextNul_;
}

std::optional<std::string_view> HexLineReader::next()
{
    if (finished_)
        return std::nullopt;
    const std::size_t end = findLineEnd(position_);
    const std::size_t lineEnd = std::min(end, findNul(position_));
    const std::string_view line = text_.substr(position_, lineEnd - position_);
    if (startsNewLine_)
        ++lineNumber_;
    startsNewLine_ = end < text_.size() && text_[end] == '\n';
    position_ = end + 1;
    finished_ = end >= text_.size();
    return trimmed(line);
}

} // namespace orvex
