#include "engine/Sha256.h"

#include <QCryptographicHash>

namespace orvex {

std::string sha256Hex(std::span<const std::uint8_t> bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return hash.result().toHex().toStdString();
}

} // namespace orvex
