#include "physics/MemoryWriteStream.h"

#include <cassert>
#include <cstring>
#include <limits>

namespace {
// Slack added whenever the buffer grows, so that small stores rarely reallocate.
constexpr std::uint32_t GROWTH_SLACK = 4096;
}  // namespace

MemoryWriteStream& MemoryWriteStream::storeByte(std::uint8_t value)
{
    append(&value, sizeof(value));
    return *this;
}

MemoryWriteStream& MemoryWriteStream::storeWord(std::uint16_t value)
{
    append(&value, sizeof(value));
    return *this;
}

MemoryWriteStream& MemoryWriteStream::storeDword(std::uint32_t value)
{
    append(&value, sizeof(value));
    return *this;
}

MemoryWriteStream& MemoryWriteStream::storeFloat(float value)
{
    append(&value, sizeof(value));
    return *this;
}

MemoryWriteStream& MemoryWriteStream::storeDouble(double value)
{
    append(&value, sizeof(value));
    return *this;
}

MemoryWriteStream& MemoryWriteStream::storeBuffer(const void* bytes, std::uint32_t size)
{
    append(bytes, size);
    return *this;
}

void MemoryWriteStream::append(const void* bytes, std::uint32_t count)
{
    if (count == 0)
        return;
    // Cooked meshes stay far below 4 GB; a store that would wrap the size is a caller's fault.
    assert(count <= std::numeric_limits<std::uint32_t>::max() - GROWTH_SLACK - currentSize);
    if (currentSize + count > maxSize) {
        const std::uint32_t newCapacity = currentSize + count + GROWTH_SLACK;
        std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[newCapacity]);
        if (currentSize > 0)
            std::memcpy(grown.get(), buffer.get(), currentSize);
        buffer = std::move(grown);
        maxSize = newCapacity;
    }
    std::memcpy(buffer.get() + currentSize, bytes, count);
    currentSize += count;
}
