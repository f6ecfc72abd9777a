#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace orvex {

// Cuts HEX text into the lines the loader looks at. Only a line feed ends a
// line (a carriage return is trimmed away with the other white space), a NUL
// ends it early, and a run longer than kMaxHexLineLength is cut: its first
// kMaxHexLineLength characters are one line, the character after them is
// skipped and the rest starts the next line.
class HexLineReader {
public:
    static constexpr std::size_t kMaxHexLineLength = 1000;

    explicit HexLineReader(std::string_view text) : text_(text), finished_(text.empty()) {}

    // The next line with white space trimmed from both ends (blank lines come
    // back empty); nothing once the text is used up. The view points into the
    // text given to the constructor.
    std::optional<std::string_view> next();

    // The 1-based number, counted in line feeds, of the line next() gave last:
    // what an editor shows. The pieces of a cut run share their number.
    std::size_t lineNumber() const { return lineNumber_; }

private:
    std::size_t findLineEnd(std::size_t position) const;
    std::size_t findNul(std::size_t position);

    std::string_view text_;
    std::size_t position_ = 0;
    // Where findNul found a NUL last; a search is due once lines pass it.
    std::size_t nextNul_ = 0;
    bool nulSearched_ = false;
    std::size_t lineNumber_ = 0;
    bool startsNewLine_ = true;
    bool finished_;
};

} // namespace orvex
