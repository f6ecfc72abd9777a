#include "engine/ReadBackSaving.h"

#include <QSaveFile>
#include <QString>

namespace orvex {

int saveReadBackData(WorkerNotifier& notifier, std::span<const std::uint8_t> data)
{
    const auto path = notifier.chooseReadBackFile();
    if (!path || path->empty())
        return 0;

    QSaveFile file(QString::fromStdString(*path));
    const auto size = static_cast<qint64>(data.size());
    const bool written = file.open(QIODevice::WriteOnly)
        && file.write(reinterpret_cast<const char*>(data.data()), size) == size && file.commit();
    if (!written) {
        notifier.reportSaveFailure(*path, file.errorString().toStdString());
        return 0;
    }
    return 1;
}

} // namespace orvex
