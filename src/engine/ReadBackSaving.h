#pragma once

#include "notify/WorkerNotifier.h"

#include <cstdint>
#include <span>

namespace orvex {

// Asks the operator for a file and writes the bytes read back from the chip
// into it, exactly as read: no header, no padding. An existing file is
// replaced only once the new one is complete; a device or a fifo is written
// in place, and "-" is standard output (see writeOutputFile). Returns 1 when
// written, 0 when the operator cancelled or the write failed (the failure is
// reported to the operator).
int saveReadBackData(WorkerNotifier& notifier, std::span<const std::uint8_t> data);

} // namespace orvex
