#pragma once

#include <cstdint>
#include <memory>

// Growing byte buffer that cooked data is written into. Values are appended as
// their raw bytes in the machine's byte order, with no header, length or
// alignment; MemoryReadStream reads the same sequence back.
class MemoryWriteStream {
public:
    MemoryWriteStream() = default;
    MemoryWriteStream(const MemoryWriteStream&) = delete;
    MemoryWriteStream& operator=(const MemoryWriteStream&) = delete;

    MemoryWriteStream& storeByte(std::uint8_t value);
    MemoryWriteStream& storeWord(std::uint16_t value);
    MemoryWriteStream& storeDword(std::uint32_t value);
    MemoryWriteStream& storeFloat(float value);
    MemoryWriteStream& storeDouble(double value);
    MemoryWriteStream& storeBuffer(const void* buffer, std::uint32_t size);

    std::uint32_t size() const { return currentSize; }
    const std::uint8_t* data() const { return buffer.get(); }  // null while nothing was stored

private:
    void append(const void* bytes, std::uint32_t count);

    std::uint32_t currentSize = 0;
    std::uint32_t maxSize = 0;
    std::unique_ptr<std::uint8_t[]> buffer;
};
