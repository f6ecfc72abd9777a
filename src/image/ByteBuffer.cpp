#include "image/ByteBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace orvex {

namespace {

// The huge page size of x86-64 and of most ARM64 systems.
constexpr std::size_t kHugePageSize = 2 * 1024 * 1024;

} // namespace

bool isLargeBlock(std::size_t size) noexcept
{
    return size >= kHugePageSize;
}

#ifdef __linux__
void* allocateLargeBlock(std::size_t size)
{
    const std::size_t rounded = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
    void* block = std::aligned_alloc(kHugePageSize, rounded);
    if (block == nullptr)
        throw std::bad_alloc();
    // Only advice: without huge pages the block works the same, only slower
    // to touch first.
    ::madvise(block, rounded, MADV_HUGEPAGE);
    return block;
}

void freeLargeBlock(void* block) noexcept
{
    std::free(block);
}
#else
void* allocateLargeBlock(std::size_t size)
{
    return ::operator new(size);
}

void freeLargeBlock(void* block) noexcept
{
    ::operator delete(block);
}
#endif

ByteBuffer filledByteBuffer(std::size_t size, std::uint8_t fill)
{
    ByteBuffer buffer(size);
    if (size > 0)
        std::memset(buffer.data(), fill, size);
    return buffer;
}

ByteBuffer copiedByteBuffer(std::span<const std::uint8_t> bytes)
{
    ByteBuffer buffer(bytes.size());
    if (!bytes.empty())
        std::memcpy(buffer.data(), bytes.data(), bytes.size());
    return buffer;
}

void growByteBuffer(ByteBuffer& buffer, std::size_t size, std::uint8_t fill)
{
    ByteBuffer grown(size);
    if (!buffer.empty())
        std::memcpy(grown.data(), buffer.data(), buffer.size());
    std::memset(grown.data() + buffer.size(), fill, size - buffer.size());
    buffer = std::move(grown);
}

} // namespace orvex
