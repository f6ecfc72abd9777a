#pragma once

#include <functional>
#include <string>

namespace orvex::test {

// Runs work in a forked child and returns the text it produced, so that a test
// can see what another process sees. With asUnprivileged, a child of root
// first drops to the "nobody" user, whom file permissions do stop.
std::string runInChild(const std::function<std::string()>& work, bool asUnprivileged = false);

} // namespace orvex::test
