#pragma once

#include "settings/SettingsFile.h"

#include <array>
#include <string>

namespace orvex {

// The last ten firmware files, most recent first, kept in Latest.cfg under the
// keys "File 0" to "File 9". Entry 0 is the current file; an empty entry is
// free. Names compare byte for byte, letter case included.
class RecentFiles {
public:
    static constexpr int kCount = 10;
    using Names = std::array<std::string, kCount>;

    // Reads the entries and closes up repeats and gaps in memory; the file is
    // rewritten with the lines it had, so the tidied list reaches it only with
    // the next save().
    void load(const std::string& path);
    // Writes the ten entries in index order and nothing else.
    void save(const std::string& path);
    // Makes path entry 0; the entries that stood before its old place move down
    // one, a new path pushes the oldest entry out. An empty path, or the
    // current one, changes nothing.
    void add(const std::string& path);
    // Empties later repeats, then closes gaps in a single pass: of a run of
    // empty entries, one pass closes only part.
    void compact();

    const Names& names() const { return names_; }

private:
    void removeRepeats();
    void closeGapsOnce();

    SettingsFile file_;
    Names names_;
};

} // namespace orvex
