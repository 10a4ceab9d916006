#include "physics/MemoryReadStream.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(MemoryReadStream, NeverReadsPastTheWrittenSize)
{
    // Only the first three bytes are the stream; a fourth lies behind them.
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    MemoryReadStream stream(bytes, 3);
    EXPECT_EQ(stream.readDword(), 0u) << "a dword does not fit into three bytes";
    EXPECT_TRUE(stream.overrun());
    EXPECT_EQ(stream.readByte(), 0) << "nothing more is read once overrun";

    MemoryReadStream buffered(bytes, 3);
    std::uint8_t out[8] = {0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee};
    buffered.readBuffer(out, 8);
    EXPECT_TRUE(buffered.overrun());
    for (const std::uint8_t b : out)
        EXPECT_EQ(b, 0) << "a short buffer read yields zeros";

    MemoryReadStream null(nullptr, 100);
    EXPECT_EQ(null.remaining(), 0u);
    EXPECT_EQ(null.readFloat(), 0.0f);
    EXPECT_TRUE(null.overrun());
}
