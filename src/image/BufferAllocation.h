#pragma once

#include <cstdint>
#include <new>
#include <vector>

namespace orvex {

// Builds a buffer with makeBuffer, or gives an empty one when memory runs out:
// a file too large for memory loads as nothing rather than ending the program.
template <typename MakeBuffer>
std::vector<std::uint8_t> allocateOrEmpty(MakeBuffer makeBuffer) noexcept
{
    try {
        return makeBuffer();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace orvex
