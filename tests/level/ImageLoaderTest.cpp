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
    const std::size_t sizes[] = {16 * 8, 8 * 4, 4 * 2, 2, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded.levels[i].size(), sizes[i] * 4) << "level " << i;
    // Top row first, as the Targa loader hands it out.
    EXPECT_EQ(Bytes(loaded.levels[0].begin(), loaded.levels[0].begin() + 4), (Bytes{255, 0, 0, 255}));
    EXPECT_EQ(Bytes(loaded.levels[0].end() - 4, loaded.levels[0].end()), (Bytes{0, 0, 255, 255}));
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
    const std::string truncated = tempPath("truncated.dds");
    writeDds(truncated, 64, 64, {solid(64, 64, {255, 0, 0})});
    const Bytes whole = readBytes(truncated);
    writeBytes(truncated, Bytes(whole.begin(), whole.begin() + 200));
    const std::string huge = tempPath("huge.dds");
    writeDds(huge, 65535, 65535, {solid(4, 4, {255, 0, 0})});
    const std::string halfFloat = tempPath("half-float.dds");
    writeDds(halfFloat, 4, 4, {solid(4, 4, {0, 0, 0})}, true);

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
    writeDds(good, 2, 2, {solid(2, 2, {0, 255, 0})});
    EXPECT_EQ(load(good, true).count, 1);
}
