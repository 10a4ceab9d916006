#include "physics/MemoryReadStream.h"

#include "physics/MemoryWriteStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MemoryReadStream, ReadsBackWhatWasStoredInOrderAcrossGrowth)
{
    MemoryWriteStream written;
    EXPECT_EQ(written.data(), nullptr);
    written.storeByte(0x11).storeWord(0x2233).storeDword(0x44556677u);
    EXPECT_EQ(written.size(), 7u) << "raw values without padding";
    // Many small stores and one large one both grow the buffer past its first block.
    std::vector<std::uint8_t> block(10000);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = std::uint8_t(i * 7);
    written.storeFloat(-0.375f).storeBuffer(block.data(), std::uint32_t(block.size())).storeDouble(3.5);
    for (int i = 0; i < 5000; ++i)
        written.storeByte(std::uint8_t(i));
    written.storeBuffer("mesh", 4);

    MemoryReadStream stream(written.data(), written.size());
    EXPECT_EQ(stream.readByte(), 0x11);
    EXPECT_EQ(stream.readWord(), 0x2233);
    EXPECT_EQ(stream.readDword(), 0x44556677u);
    EXPECT_EQ(stream.readFloat(), -0.375f);
    std::vector<std::uint8_t> blockBack(block.size());
    stream.readBuffer(blockBack.data(), std::uint32_t(blockBack.size()));
    EXPECT_EQ(blockBack, block);
    EXPECT_EQ(stream.readDouble(), 3.5);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(stream.readByte(), std::uint8_t(i)) << "content kept across growth at " << i;
    char back[4] = {};
    stream.readBuffer(back, 4);
    EXPECT_EQ(std::string(back, 4), "mesh");
    EXPECT_EQ(stream.remaining(), 0u);
    EXPECT_FALSE(stream.overrun());
}

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
