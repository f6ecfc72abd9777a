#include "engine/Sha256.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <bcrypt.h>

namespace orvex {

// Windows' own cryptography does the hashing in a build without Qt.
std::string sha256Hex(std::span<const std::uint8_t> bytes)
{
    std::array<UCHAR, 32> digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool hashed = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0
                  && BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    for (auto rest = bytes; hashed && !rest.empty();) {
        const auto chunk = static_cast<ULONG>(std::min<std::size_t>(rest.size(), 1U << 30));
        hashed = BCryptHashData(hash, const_cast<PUCHAR>(rest.data()), chunk, 0) == 0;
        rest = rest.subspan(chunk);
    }
    hashed = hashed && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) == 0;
    if (hash != nullptr)
        BCryptDestroyHash(hash);
    if (algorithm != nullptr)
        BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!hashed)
        return {};

    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const UCHAR byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

} // namespace orvex
