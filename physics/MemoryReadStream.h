#pragma once

#include <cstdint>

// Reads values back from a buffer that a MemoryWriteStream filled, in the order
// they were stored. The buffer is not owned. Reads never go past the given
// size: a read that asks for more than is left yields zeros, reads nothing and
// marks the stream as overrun, so corrupt cooked data cannot cause an
// out-of-bounds read.
class MemoryReadStream {
public:
    MemoryReadStream(const void* data, std::uint32_t size);

    std::uint8_t readByte();
    std::uint16_t readWord();
    std::uint32_t readDword();
    float readFloat();
    double readDouble();
    // Copies size bytes into destination, or fills it with zeros on overrun.
    void readBuffer(void* destination, std::uint32_t size);

    std::uint32_t remaining() const { return size - position; }
    bool overrun() const { return failed; }

private:
    // Copies count bytes and advances, or zero-fills, marks the overrun and moves to the end.
    void take(void* destination, std::uint32_t count);

    const std::uint8_t* data;
    std::uint32_t size;
    std::uint32_t position = 0;
    bool failed = false;
};
