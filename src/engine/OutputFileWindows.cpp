#include "engine/OutputFile.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace orvex {

namespace {

using Failure = std::optional<std::string>;

Failure writeToStandardOutput(std::span<const std::uint8_t> bytes)
{
    std::fflush(stdout);
    // Text mode would turn every 0x0A of the data into 0x0D 0x0A.
    _setmode(_fileno(stdout), _O_BINARY);
    QFile out;
    const auto size = static_cast<qint64>(bytes.size());
    if (out.open(stdout, QIODevice::WriteOnly) && out.write(reinterpret_cast<const char*>(bytes.data()), size) == size
        && out.flush())
        return {};
    return out.errorString().toStdString();
}

} // namespace

// Windows paths are UTF-16, so the UTF-8 path converts without loss; QSaveFile
// replaces a file only once the new one is complete.
std::optional<std::string> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path == kStandardOutputPath)
        return writeToStandardOutput(bytes);
    QSaveFile file(QString::fromStdString(path));
    const auto size = static_cast<qint64>(bytes.size());
    if (file.open(QIODevice::WriteOnly) && file.write(reinterpret_cast<const char*>(bytes.data()), size) == size
        && file.commit())
        return {};
    return file.errorString().toStdString();
}

} // namespace orvex
