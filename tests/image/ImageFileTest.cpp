#include "image/ImageFileTest.h"

#include <algorithm>

namespace orvex::test {

std::string hexText(std::initializer_list<std::string> lines, std::string_view lineEnd)
{
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append(lineEnd);
    return text;
}

Bytes erasedWith(std::size_t size, std::size_t offset, const Bytes& bytes)
{
    Bytes image(size, 0xFF);
    std::ranges::copy(bytes, image.begin() + static_cast<std::ptrdiff_t>(offset));
    return image;
}

} // namespace orvex::test
