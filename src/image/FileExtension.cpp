#include "image/FileExtension.h"

#include <algorithm>
#include <array>

namespace orvex {

namespace {

constexpr std::size_t kExtensionLength = 3;
constexpr std::array<std::string_view, 2> kKnownExtensions = {"hex", "bin"};

char toLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string extensionOf(std::string_view path)
{
    std::string tail(path.substr(path.size() - std::min(path.size(), kExtensionLength)));
    std::ranges::transform(tail, tail.begin(), toLowerAscii);
    if (std::ranges::find(kKnownExtensions, tail) == kKnownExtensions.end())
        return {};
    return tail;
}

} // namespace orvex
