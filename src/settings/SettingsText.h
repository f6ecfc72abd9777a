#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// The text form of a settings file: key=value lines, keys matched without
// regard to letter case, lines written trimmed and ended by LF CR.

// Longest line kept by the reader, counted after trimming. The rest of a longer
// line, up to its LF, is dropped: the line keeps its key and the start of its
// value, and no stray tail turns into a line of its own. Counting after
// trimming means the CR of an LF CR line end costs nothing, so any line that
// save() writes reads back whole.
inline constexpr std::size_t kMaxLineLength = 999;

// Longest file read. Settings files hold a few short lines; anything near this
// size is not one, and reading a huge or sparse file whole would exhaust memory.
inline constexpr std::size_t kMaxSettingsFileLength = 1024 * 1024;

// Without the blanks and the bytes 0x09 to 0x0D (tab, LF, vertical tab, form
// feed, CR) at either end.
std::string_view trimmed(std::string_view text);

// A value's leading number: white space, an optional sign, then decimal
// digits up to the first other byte; 0 without digits. Out of range gives the
// nearest limit. Read the same way whatever locale the process runs in.
std::int32_t parseInt32(std::string_view text);

// The trimmed text before the first "="; empty for a line without "=".
std::string_view keyOf(std::string_view line);
// Everything after the first "=", untrimmed; empty for a line without "=".
std::string_view valueOf(std::string_view line);
// ASCII letters compare without regard to case; other bytes as they are.
bool sameKey(std::string_view a, std::string_view b);

// Splits at LF only; each line is trimmed and cut to kMaxLineLength. A file
// ending in LF CR yields an empty last line, an LF LF an empty line between.
std::vector<std::string> splitLines(std::string_view content);
// Each non-empty trimmed line followed by LF CR; empty lines are left out.
std::string joinLines(const std::vector<std::string>& lines);

} // namespace orvex
