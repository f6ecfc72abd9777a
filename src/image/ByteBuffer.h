#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace orvex {

// Room for size bytes, aligned for huge pages and placed on them where the
// system offers them: in a fresh process every 4 KiB page of a new block costs
// a page fault on first touch, and for a 10 MB file those faults took longer
// than parsing the text in it. Throws std::bad_alloc.
void* allocateLargeBlock(std::size_t size);
void freeLargeBlock(void* block) noexcept;
// Whether a block of size bytes is worth placing on huge pages.
bool isLargeBlock(std::size_t size) noexcept;

// Gives large blocks from allocateLargeBlock, the rest as std::allocator
// does. An element made without a value is left without one: a new buffer is
// filled by the code that makes it, with one memset or memcpy, where the
// vector would set it byte by byte.
template <typename T>
class LargeBlockAllocator {
public:
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        if (!isLargeBlock(count * sizeof(T)))
            return std::allocator<T>().allocate(count);
        return static_cast<T*>(allocateLargeBlock(count * sizeof(T)));
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        if (isLargeBlock(count * sizeof(T)))
            freeLargeBlock(block);
        else
            std::allocator<T>().deallocate(block, count);
    }

    template <typename U>
    void construct(U* element) noexcept
    {
        ::new (static_cast<void*>(element)) U;
    }

    template <typename U, typename... Arguments>
    void construct(U* element, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(element)) U(std::forward<Arguments>(arguments)...);
    }

    template <typename U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept
    {
        return true;
    }
};

// The file's bytes and the image's data bytes. ByteBuffer(size) leaves the
// bytes unset; the functions below make buffers whose every byte is set.
using ByteBuffer = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

// size bytes, every one fill.
ByteBuffer filledByteBuffer(std::size_t size, std::uint8_t fill);
ByteBuffer copiedByteBuffer(std::span<const std::uint8_t> bytes);
// Lengthens buffer to size bytes, the new ones fill.
void growByteBuffer(ByteBuffer& buffer, std::size_t size, std::uint8_t fill);

} // namespace orvex
