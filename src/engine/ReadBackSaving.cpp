#include "engine/ReadBackSaving.h"

#include "engine/OutputFile.h"

namespace orvex {

int saveReadBackData(WorkerNotifier& notifier, std::span<const std::uint8_t> data)
{
    const auto path = notifier.chooseReadBackFile();
    if (!path || path->empty())
        return 0;
    if (const auto failure = writeOutputFile(*path, data)) {
        notifier.reportSaveFailure(*path, *failure);
        return 0;
    }
    return 1;
}

} // namespace orvex
