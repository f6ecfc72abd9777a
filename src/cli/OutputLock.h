#pragma once

#include <mutex>

namespace orvex::cli {

// Held around each line written to standard output or standard error: with
// several units, their workers print at once, and a line must never be cut
// into by another's.
inline std::mutex& outputLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace orvex::cli
