#include "level/TgaLoader.h"

#include "ImageFiles.h"
#include "GlTestContext.h"
#include "level/TextureManager.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

using namespace imagefiles;

namespace {

struct Loaded {
    int count = 0;
    std::vector<Bytes> levels;
    unsigned int width = 0, height = 0, channels = 0;
    std::string output; // what the loader printed
};

Loaded load(const std::string& path, bool mipmaps = false)
{
    Loaded result;
    testing::internal::CaptureStdout();
    result.count = TgaLoader::instance()->load(path.c_str(), result.levels, result.width,
                                               result.height, result.channels, mipmaps);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

// A rejected file: no levels, nothing handed out, one line naming the file.
void expectRejected(const std::string& path)
{
    SCOPED_TRACE(path);
    const Loaded loaded = load(path, true);
    EXPECT_EQ(loaded.count, 0);
    EXPECT_TRUE(loaded.levels.empty());
    EXPECT_EQ(loaded.channels, 0u);
    EXPECT_NE(loaded.output.find(path), std::string::npos) << loaded.output;
    EXPECT_EQ(loaded.output.find('\n'), loaded.output.size() - 1) << loaded.output;
}

// Every level i has the halved size (never below 1) and ends the chain at 1x1.
void expectChain(const Loaded& loaded, int expectedCount)
{
    ASSERT_EQ(loaded.count, expectedCount);
    ASSERT_EQ(loaded.levels.size(), static_cast<std::size_t>(expectedCount));
    for (int i = 0; i < expectedCount; ++i) {
        const std::size_t bytes = std::size_t{TextureManager::levelExtent(loaded.width, i)} *
                                  TextureManager::levelExtent(loaded.height, i) * loaded.channels;
        EXPECT_EQ(loaded.levels[i].size(), bytes) << "level " << i;
    }
    EXPECT_EQ(TextureManager::levelExtent(loaded.width, expectedCount - 1), 1u);
    EXPECT_EQ(TextureManager::levelExtent(loaded.height, expectedCount - 1), 1u);
}

} // namespace

TEST(TgaLoader, ReversesRowsAndSwapsBlueAndRed)
{
    // File rows r1, r2, r3 (bottom-up on disk) become level rows r3, r2, r1.
    const std::string path = tempPath("rows.tga");
    TgaHeader header;
    header.width = 2;
    header.height = 3;
    writeTgaRaw(path, header, {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26});
    const Loaded loaded = load(path);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.width, 2u);
    EXPECT_EQ(loaded.height, 3u);
    EXPECT_EQ(loaded.channels, 3u);
    EXPECT_EQ(loaded.levels[0], (Bytes{23, 22, 21, 26, 25, 24, 13, 12, 11, 16, 15, 14, 3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(loaded.output.empty());
}

TEST(TgaLoader, KeepsAlphaLastAndSingleChannelsAsTheyAre)
{
    const std::string rgba = tempPath("rgba.tga");
    TgaHeader header;
    header.width = 1;
    header.height = 1;
    header.bits = 32;
    writeTgaRaw(rgba, header, {10, 20, 30, 40});
    Loaded loaded = load(rgba);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.channels, 4u);
    EXPECT_EQ(loaded.levels[0], (Bytes{30, 20, 10, 40}));

    const std::string alpha = tempPath("alpha.tga");
    header.width = 3;
    header.bits = 8;
    writeTgaRaw(alpha, header, {7, 8, 9});
    loaded = load(alpha);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.channels, 1u);
    EXPECT_EQ(loaded.levels[0], (Bytes{7, 8, 9}));
}

TEST(TgaLoader, SkipsImageIdAndUnusedColourMap)
{
    const std::string path = tempPath("idmap.tga");
    TgaHeader header;
    header.idLength = 5;
    header.colourMapType = 1;
    header.mapLength = 2;
    header.mapEntryBits = 24;
    header.width = 1;
    header.height = 1;
    writeTgaRaw(path, header, {'i', 'm', 'a', 'g', 'e', 99, 99, 99, 98, 98, 98, 1, 2, 3});
    const Loaded loaded = load(path);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.levels[0], (Bytes{3, 2, 1}));
}

TEST(TgaLoader, RejectsOtherImageTypesAndDepths)
{
    // colour-mapped, greyscale and the three run-length encoded types
    for (const std::uint8_t type : {0, 1, 3, 9, 10, 11}) {
        const std::string path = tempPath("type" + std::to_string(type) + ".tga");
        TgaHeader header;
        header.imageType = type;
        header.width = 2;
        header.height = 2;
        header.bits = type == 3 || type == 11 ? 8 : 24;
        writeTgaRaw(path, header, Bytes(64, 0x7f));
        expectRejected(path);
    }
    for (const std::uint8_t bits : {0, 1, 15, 16, 48}) {
        const std::string path = tempPath("bits" + std::to_string(bits) + ".tga");
        TgaHeader header;
        header.width = 2;
        header.height = 2;
        header.bits = bits;
        writeTgaRaw(path, header, Bytes(64, 0x7f));
        expectRejected(path);
    }
}

TEST(TgaLoader, RejectsEveryTruncationOfAValidFile)
{
    const std::string whole = tempPath("whole.tga");
    writeTga(whole, 4, 3, 4, solid(4, 3, {1, 2, 3, 4}));
    const Bytes bytes = readBytes(whole);
    ASSERT_EQ(load(whole).count, 1);
    const std::string cut = tempPath("cut.tga");
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        writeBytes(cut, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)));
        expectRejected(cut);
    }
}

TEST(TgaLoader, RejectsSizesTheFileCannotHold)
{
    // 65535 x 65535 x 4 bytes would be 17 GB: refused before allocating.
    const std::string huge = tempPath("huge.tga");
    TgaHeader header;
    header.width = 65535;
    header.height = 65535;
    header.bits = 32;
    writeTgaRaw(huge, header, Bytes(1024, 0));
    expectRejected(huge);

    const std::string empty = tempPath("empty.tga");
    header.width = 0;
    header.height = 4;
    writeTgaRaw(empty, header, Bytes(64, 0));
    expectRejected(empty);
}

TEST(TgaLoader, MissingFileGivesNoLevelsSilently)
{
    const Loaded loaded = load(tempPath("missing.tga"), true);
    EXPECT_EQ(loaded.count, 0);
    EXPECT_TRUE(loaded.levels.empty());
    EXPECT_TRUE(loaded.output.empty());
}

// Mipmaps go through GLU, which reads the context's pixel-store modes.
TEST(TgaLoaderGl, BuildsMipmapsDownToOnePixelAndRestoresPixelStore)
{
    GlTestContext::ensure();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    const std::string square = tempPath("square.tga");
    writeTga(square, 256, 256, 3, solid(256, 256, {200, 100, 50}));
    const Loaded loaded = load(square, true);
    expectChain(loaded, 9);
    for (const Bytes& level : loaded.levels)
        EXPECT_EQ(level, solid(static_cast<int>(level.size() / 3), 1, {200, 100, 50}));

    GLint pack = 0, unpack = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(pack, 4);
    EXPECT_EQ(unpack, 4);
}

TEST(TgaLoaderGl, NonSquareChainsFollowTheLongerSide)
{
    GlTestContext::ensure();
    const std::string wide = tempPath("wide.tga");
    writeTga(wide, 64, 16, 4, solid(64, 16, {1, 2, 3, 4}));
    expectChain(load(wide, true), 7);

    const std::string tall = tempPath("tall.tga");
    writeTga(tall, 6, 40, 3, solid(6, 40, {1, 2, 3}));
    expectChain(load(tall, true), 6);

    const std::string alpha = tempPath("alpha-mip.tga");
    writeTga(alpha, 8, 8, 1, solid(8, 8, {90}));
    const Loaded loaded = load(alpha, true);
    expectChain(loaded, 4);
    EXPECT_EQ(loaded.levels[3], Bytes{90});
}
