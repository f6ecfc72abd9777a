#include "engine/ImageSnapshot.h"

#include "engine/Sha256.h"
#include "image/FirmwareImage.h"

namespace orvex {

std::shared_ptr<const RunImage> snapshotOf(const FirmwareImage& image)
{
    if (image.dataSize() == 0)
        return nullptr;
    auto snapshot = std::make_shared<RunImage>();
    snapshot->file = {image.path(), static_cast<std::uint64_t>(image.rawLength()), sha256Hex(image.rawBytes())};
    snapshot->bytes.assign(image.dataBytes().begin(), image.dataBytes().end());
    snapshot->sha256 = sha256Hex(snapshot->bytes);
    return snapshot;
}

} // namespace orvex
