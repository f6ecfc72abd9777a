#include "settings/RecentFiles.h"

#include <algorithm>
#include <utility>

namespace orvex {

namespace {

std::string entryKey(std::size_t index)
{
    return "File " + std::to_string(index);
}

} // namespace

void RecentFiles::load(const std::string& path)
{
    file_.open(path);
    for (std::size_t index = 0; index < names_.size(); ++index)
        names_[index] = file_.getString(entryKey(index));
    compact();
    file_.saveAndClose();
}

void RecentFiles::save(const std::string& path)
{
    file_.open(path);
    compact();
    file_.clear();
    for (std::size_t index = 0; index < names_.size(); ++index)
        file_.setString(entryKey(index), names_[index]);
    file_.saveAndClose();
}

void RecentFiles::add(const std::string& path)
{
    if (path.empty() || path == names_[0])
        return;
    std::string carried = std::exchange(names_[0], path);
    for (std::size_t index = 1; index < names_.size(); ++index) {
        if (names_[index] == path) {
            names_[index] = std::move(carried);
            return;
        }
        std::swap(names_[index], carried);
    }
}

void RecentFiles::compact()
{
    removeRepeats();
    closeGapsOnce();
}

void RecentFiles::removeRepeats()
{
    for (auto first = names_.begin(); first != names_.end(); ++first) {
        std::for_each(first + 1, names_.end(), [&](std::string& later) {
            if (later == *first)
                later.clear();
        });
    }
}

void RecentFiles::closeGapsOnce()
{
    // Each place is looked at once: an entry that has just moved up into it
    // is not examined again, even if it is empty too.
    for (auto gap = names_.begin(); gap != names_.end(); ++gap) {
        if (gap->empty()) {
            std::move(gap + 1, names_.end(), gap);
            names_.back().clear();
        }
    }
}

} // namespace orvex
