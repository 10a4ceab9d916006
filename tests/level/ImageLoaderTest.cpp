#include "level/ImageLoader.h"

#include "ImageFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace imagefiles;

namespace {

Loaded load(const std::string& path, bool mipmaps)
{
    return imagefiles::load(ImageLoader::instance(), path, mipmaps);
}

} // namespace

TEST(ImageLoader, ReadsEveryLevelFromTheFilesOwnMipmaps)
{
    const std::string devil = tempPath("devil.dds");
    ASSERT_TRUE(writeDevilDds(devil, 16, 8, twoBands(16, 8, {255, 0, 0, 255}, {0, 0, 255, 255})));
    Loaded loaded = load(devil, true);
    ASSERT_EQ(loaded.count, 5); // 16x8, 8x4, 4x2, 2x1, 1x1
    EXPECT_EQ(loaded.width, 16u);
    EXPECT_EQ(loaded.height, 8u);
    EXPECT_EQ(loaded.channels, 4u);
    EXPECT_EQ(loaded.levels[4].size(), 4u);
    // Its rows come top first: TextureManagerTest draws it beside the same Targa picture.
    EXPECT_TRUE(loaded.output.empty());
    EXPECT_EQ(load(devil, false).levels.size(), 1u);

    // A colour per level shows each comes from the file's chain, not from a mipmap of a mipmap.
    const std::string levels = tempPath("levels.dds");
    const std::vector<Bytes> chain = {solid(8, 4, {255, 0, 0}), solid(4, 2, {0, 255, 0}), solid(2, 1, {0, 0, 255}),
                                      {9, 8, 7}};
    writeDds(levels, 8, 4, chain);
    loaded = load(levels, true);
    EXPECT_EQ(loaded.channels, 3u);
    EXPECT_EQ(loaded.levels, chain);
}

TEST(ImageLoader, UnreadableFilesGiveNoLevels)
{
    const std::string garbage = tempPath("garbage.dds");
    writeBytes(garbage, Bytes(300, 0x5a));
    const std::string huge = tempPath("huge.dds");
    writeDds(huge, 65535, 65535, {solid(4, 4, {255, 0, 0})});
    const std::string missing = tempPath("missing.dds");

    // Headers that lie, made from a good DXT5 file: DevIL trusts them and writes
    // or reads past its buffers. A width of 65536 is the game's bad-data test's.
    const std::string dxt5 = tempPath("dxt5.dds");
    ASSERT_TRUE(writeDevilDds(dxt5, 16, 16, solid(16, 16, {9, 9, 9, 255})));
    const Bytes dxt5Bytes = readBytes(dxt5);
    struct Patch {
        const char* name;
        std::size_t at;          // byte offset in the header
        std::uint32_t value;
    };
    const Patch patches[] = {
        {"mipmaps-40.dds", 28, 40},            // more levels than a 16x16 chain has
        {"ati2.dds", 84, 0x32495441},          // a compressed format the game does not use
        {"cube-map.dds", 112, 0xfe00},         // all six faces declared
        {"header-size.dds", 4, 0x7fffffff},
    };
    std::vector<std::string> crafted = {garbage, huge, missing};
    for (const Patch& patch : patches) {
        Bytes bytes = dxt5Bytes;
        for (int i = 0; i < 4; ++i)
            bytes[patch.at + i] = static_cast<std::uint8_t>(patch.value >> (8 * i));
        crafted.push_back(tempPath(patch.name));
        writeBytes(crafted.back(), bytes);
    }
    const std::string cut = tempPath("dxt5-cut.dds");
    writeBytes(cut, Bytes(dxt5Bytes.begin(), dxt5Bytes.begin() + static_cast<long>(dxt5Bytes.size() / 2)));
    crafted.push_back(cut);
    // A 32-bit RGBA header of 65536x65536 wraps DevIL's 32-bit size to 0.
    const std::string wrapped = tempPath("rgba-65536.dds");
    writeDds(wrapped, 65536, 65536, {solid(8, 8, {1, 2, 3})});
    Bytes rgba = readBytes(wrapped);
    rgba[88] = 32;
    writeBytes(wrapped, rgba);
    crafted.push_back(wrapped);

    for (const std::string& path : crafted) {
        SCOPED_TRACE(path);
        const Loaded loaded = load(path, true);
        EXPECT_EQ(loaded.count, 0);
        EXPECT_TRUE(loaded.levels.empty());
        EXPECT_NE(loaded.output.find(path), std::string::npos) << loaded.output;
    }

    // A good file after the failures still loads: no DevIL error is left behind.
    const std::string good = tempPath("good.dds");
    writeDds(good, 2, 2, {solid(2, 2, {0, 255, 0})});
    EXPECT_EQ(load(good, true).count, 1);
}
