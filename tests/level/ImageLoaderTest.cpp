#include "level/ImageLoader.h"

#include "ImageFiles.h"
#include "level/TgaLoader.h"

#include <gtest/gtest.h>

#include <string>

using namespace imagefiles;

namespace {

struct Loaded {
    int count = 0;
    std::vector<Bytes> levels;
    unsigned int width = 0, height = 0, channels = 0;
    std::string output;
};

Loaded load(const std::string& path, bool mipmaps)
{
    Loaded result;
    testing::internal::CaptureStdout();
    result.count = ImageLoader::instance()->load(path.c_str(), result.levels, result.width,
                                                 result.height, result.channels, mipmaps);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

const Bytes RED = {255, 0, 0};
const Bytes GREEN = {0, 255, 0};
const Bytes BLUE = {0, 0, 255};

} // namespace

TEST(ImageLoader, ReadsDevilDxt5FileWithItsMipmaps)
{
    const std::string path = tempPath("devil.dds");
    ASSERT_TRUE(writeDevilDds(path, 16, 8, twoBands(16, 8, {255, 0, 0, 255}, {0, 0, 255, 255})));

    Loaded loaded = load(path, true);
    ASSERT_EQ(loaded.count, 5); // 16x8, 8x4, 4x2, 2x1, 1x1
    EXPECT_EQ(loaded.width, 16u);
    EXPECT_EQ(loaded.height, 8u);
    EXPECT_EQ(loaded.channels, 4u);
    const std::size_t sizes[] = {16 * 8, 8 * 4, 4 * 2, 2, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded.levels[i].size(), sizes[i] * 4) << "level " << i;
    // Top row first, as the Targa loader hands it out.
    EXPECT_EQ(Bytes(loaded.levels[0].begin(), loaded.levels[0].begin() + 4), (Bytes{255, 0, 0, 255}));
    EXPECT_EQ(Bytes(loaded.levels[0].end() - 4, loaded.levels[0].end()), (Bytes{0, 0, 255, 255}));
    EXPECT_TRUE(loaded.output.empty());

    loaded = load(path, false);
    EXPECT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.levels.size(), 1u);
}

TEST(ImageLoader, EachLevelComesFromItsOwnMipmap)
{
    // Distinct colours per level show that every level is taken from the base
    // image's chain, not from a mipmap of a mipmap.
    const std::string path = tempPath("levels.dds");
    writeDds(path, 8, 4, {solid(8, 4, RED), solid(4, 2, GREEN), solid(2, 1, BLUE), solid(1, 1, {9, 8, 7})});
    const Loaded loaded = load(path, true);
    ASSERT_EQ(loaded.count, 4);
    EXPECT_EQ(loaded.channels, 3u);
    EXPECT_EQ(loaded.levels[0], solid(8, 4, RED));
    EXPECT_EQ(loaded.levels[1], solid(4, 2, GREEN));
    EXPECT_EQ(loaded.levels[2], solid(2, 1, BLUE));
    EXPECT_EQ(loaded.levels[3], (Bytes{9, 8, 7}));
}

TEST(ImageLoader, KeepsAShortChainAsTheFileHasIt)
{
    const std::string path = tempPath("short.dds");
    writeDds(path, 8, 8, {solid(8, 8, RED), solid(4, 4, GREEN)});
    const Loaded loaded = load(path, true);
    ASSERT_EQ(loaded.count, 2);
    EXPECT_EQ(loaded.levels[1], solid(4, 4, GREEN));
}

TEST(ImageLoader, AgreesWithTargaLoaderOnRowOrder)
{
    // The same picture, red band on top: Targa stores it bottom-up, DDS top-down.
    const Bytes picture = twoBands(4, 4, RED, BLUE);
    const std::string dds = tempPath("bands.dds");
    const std::string tga = tempPath("bands.tga");
    writeDds(dds, 4, 4, {picture});
    writeTga(tga, 4, 4, 3, picture);

    const Loaded fromDds = load(dds, false);
    std::vector<Bytes> tgaLevels;
    unsigned int width = 0, height = 0, channels = 0;
    ASSERT_EQ(TgaLoader::instance()->load(tga.c_str(), tgaLevels, width, height, channels, false), 1);
    ASSERT_EQ(fromDds.count, 1);
    EXPECT_EQ(fromDds.levels[0], picture);
    EXPECT_EQ(tgaLevels[0], picture);
}

TEST(ImageLoader, UnreadableFilesGiveNoLevels)
{
    const std::string garbage = tempPath("garbage.dds");
    writeBytes(garbage, Bytes(300, 0x5a));
    const std::string truncated = tempPath("truncated.dds");
    writeDds(truncated, 64, 64, {solid(64, 64, RED)});
    const Bytes whole = readBytes(truncated);
    writeBytes(truncated, Bytes(whole.begin(), whole.begin() + 200));
    const std::string huge = tempPath("huge.dds");
    writeDds(huge, 65535, 65535, {solid(4, 4, RED)});
    const std::string halfFloat = tempPath("half-float.dds");
    writeHalfFloatDds(halfFloat, 4, 4);

    for (const std::string& path : {garbage, truncated, huge, halfFloat}) {
        SCOPED_TRACE(path);
        const Loaded loaded = load(path, true);
        EXPECT_EQ(loaded.count, 0);
        EXPECT_TRUE(loaded.levels.empty());
        EXPECT_NE(loaded.output.find(path), std::string::npos) << loaded.output;
    }

    const Loaded missing = load(tempPath("missing.dds"), true);
    EXPECT_EQ(missing.count, 0);
    EXPECT_TRUE(missing.output.empty());

    // A good file after the failures still loads: no DevIL error is left behind.
    const std::string good = tempPath("good.dds");
    writeDds(good, 2, 2, {solid(2, 2, GREEN)});
    EXPECT_EQ(load(good, true).count, 1);
}
