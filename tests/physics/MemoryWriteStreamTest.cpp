#include "physics/MemoryWriteStream.h"

#include <gtest/gtest.h>

#include <vector>

TEST(MemoryWriteStream, GrowsToSizePlusStorePlus4096KeepingTheContent)
{
    MemoryWriteStream stream;
    EXPECT_EQ(stream.data(), nullptr);
    for (int i = 0; i < 5000; ++i) {
        stream.storeByte(std::uint8_t(i));
        if (i == 0 || i == 4096) {
            EXPECT_EQ(stream.capacity(), 4097u) << "byte " << i + 1;
        } else if (i == 4097) {
            EXPECT_EQ(stream.capacity(), 8194u) << "the 4098th byte grows the buffer";
        }
    }
    EXPECT_EQ(stream.size(), 5000u);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(stream.data()[i], std::uint8_t(i)) << "content kept across growth at " << i;

    MemoryWriteStream large;
    const std::vector<std::uint8_t> block(10000, 0xab);
    large.storeByte(1).storeBuffer(block.data(), std::uint32_t(block.size()));
    EXPECT_EQ(large.capacity(), 1u + 10000 + 4096) << "one growth to fit a large store";
    EXPECT_EQ(large.data()[10000], 0xab);
}

TEST(MemoryWriteStream, StoresRawLittleEndianValuesWithoutPadding)
{
    MemoryWriteStream stream;
    stream.storeByte(0x11).storeWord(0x2233).storeDword(0x44556677u);
    const std::vector<std::uint8_t> bytes(stream.data(), stream.data() + stream.size());
    EXPECT_EQ(bytes, std::vector<std::uint8_t>({0x11, 0x33, 0x22, 0x77, 0x66, 0x55, 0x44}));
}
