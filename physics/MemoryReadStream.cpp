#include "physics/MemoryReadStream.h"

#include <cstring>

MemoryReadStream::MemoryReadStream(const void* data_, std::uint32_t size_)
    : data(static_cast<const std::uint8_t*>(data_)), size(data_ ? size_ : 0)
{
}

std::uint8_t MemoryReadStream::readByte()
{
    std::uint8_t value;
    take(&value, sizeof(value));
    return value;
}

std::uint16_t MemoryReadStream::readWord()
{
    std::uint16_t value;
    take(&value, sizeof(value));
    return value;
}

std::uint32_t MemoryReadStream::readDword()
{
    std::uint32_t value;
    take(&value, sizeof(value));
    return value;
}

float MemoryReadStream::readFloat()
{
    float value;
    take(&value, sizeof(value));
    return value;
}

double MemoryReadStream::readDouble()
{
    double value;
    take(&value, sizeof(value));
    return value;
}

void MemoryReadStream::readBuffer(void* destination, std::uint32_t count)
{
    take(destination, count);
}

void MemoryReadStream::take(void* destination, std::uint32_t count)
{
    if (count == 0)
        return;
    if (count > remaining()) {
        std::memset(destination, 0, count);
        position = size;
        failed = true;
        return;
    }
    std::memcpy(destination, data + position, count);
    position += count;
}
