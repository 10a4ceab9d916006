#include "physics/MemoryWriteStream.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MemoryWriteStream, StartsEmptyWithoutBuffer)
{
    const MemoryWriteStream stream;
    EXPECT_EQ(stream.size(), 0u);
    EXPECT_EQ(stream.capacity(), 0u);
    EXPECT_EQ(stream.data(), nullptr);
}

TEST(MemoryWriteStream, GrowsToSizePlusStorePlus4096)
{
    MemoryWriteStream stream;
    for (int i = 0; i < 5000; ++i) {
        stream.storeByte(std::uint8_t(i));
        if (i == 0) {
            EXPECT_EQ(stream.capacity(), 4097u);
        } else if (i == 4096) {
            EXPECT_EQ(stream.capacity(), 4097u) << "the 4097th byte still fits";
        } else if (i == 4097) {
            EXPECT_EQ(stream.capacity(), 8194u) << "the 4098th byte grows the buffer";
        }
    }
    EXPECT_EQ(stream.size(), 5000u);
    EXPECT_EQ(stream.capacity(), 8194u);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(stream.data()[i], std::uint8_t(i)) << "content kept across growth at " << i;
}

TEST(MemoryWriteStream, StoresRawLittleEndianValuesWithoutPadding)
{
    MemoryWriteStream stream;
    const float f = 1.5f;
    const double d = -2.25;
    const char text[3] = {'a', 'b', 'c'};
    stream.storeByte(0x11).storeWord(0x2233).storeDword(0x44556677u).storeFloat(f).storeDouble(d).storeBuffer(text, 3);

    ASSERT_EQ(stream.size(), 1u + 2 + 4 + 4 + 8 + 3);
    const std::uint8_t* bytes = stream.data();
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[1], 0x33);
    EXPECT_EQ(bytes[2], 0x22);
    EXPECT_EQ(bytes[3], 0x77);
    EXPECT_EQ(bytes[6], 0x44);
    EXPECT_EQ(std::memcmp(bytes + 7, &f, 4), 0);
    EXPECT_EQ(std::memcmp(bytes + 11, &d, 8), 0);
    EXPECT_EQ(std::memcmp(bytes + 19, text, 3), 0);
}

TEST(MemoryWriteStream, LargeStoreGrowsOnceToFit)
{
    MemoryWriteStream stream;
    const std::vector<std::uint8_t> block(10000, 0xab);
    stream.storeByte(1).storeBuffer(block.data(), std::uint32_t(block.size()));
    EXPECT_EQ(stream.capacity(), 1u + 10000 + 4096);
    EXPECT_EQ(stream.data()[10000], 0xab);
}
