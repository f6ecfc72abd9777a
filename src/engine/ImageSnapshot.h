#pragma once

#include "notify/RunEvents.h"

#include <memory>

namespace orvex {

class FirmwareImage;

// A copy of the loaded firmware for one run, with the digests a record of
// the run names it by; none when the image holds no data bytes.
std::shared_ptr<const RunImage> snapshotOf(const FirmwareImage& image);

} // namespace orvex
