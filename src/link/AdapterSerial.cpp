#include "link/AdapterSerial.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace orvex {

std::optional<std::string> adapterSerialNumber(const std::string& devicePath)
{
    const QString path = QString::fromStdString(devicePath);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QSerialPortInfo info(canonical.isEmpty() ? path : canonical);
    if (info.isNull() || info.serialNumber().isEmpty())
        return std::nullopt;
    return info.serialNumber().toStdString();
}

} // namespace orvex
