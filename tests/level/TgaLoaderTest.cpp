#include "level/TgaLoader.h"

#include "ImageFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

using namespace imagefiles;

namespace {

Loaded load(const std::string& path, bool mipmaps = false)
{
    return imagefiles::load(TgaLoader::instance(), path, mipmaps);
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

} // namespace

TEST(TgaLoader, ReadsTrueColourRowsTopFirstInRgbOrder)
{
    // File rows r1, r2, r3 (bottom-up on disk) become level rows r3, r2, r1.
    const std::string rgb = tempPath("rows.tga");
    writeTgaRaw(rgb, 2, 2, 3, 24, {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26});
    Loaded loaded = load(rgb);
    ASSERT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.width, 2u);
    EXPECT_EQ(loaded.height, 3u);
    EXPECT_EQ(loaded.channels, 3u);
    EXPECT_EQ(loaded.levels[0], (Bytes{23, 22, 21, 26, 25, 24, 13, 12, 11, 16, 15, 14, 3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(loaded.output.empty());

    const std::string rgba = tempPath("rgba.tga");
    writeTgaRaw(rgba, 2, 1, 1, 32, {10, 20, 30, 40});
    loaded = load(rgba);
    EXPECT_EQ(loaded.channels, 4u);
    EXPECT_EQ(loaded.levels.at(0), (Bytes{30, 20, 10, 40}));
    const std::string alpha = tempPath("alpha.tga");
    writeTgaRaw(alpha, 2, 3, 1, 8, {7, 8, 9});
    loaded = load(alpha);
    EXPECT_EQ(loaded.channels, 1u);
    EXPECT_EQ(loaded.levels.at(0), (Bytes{7, 8, 9}));

    // A 5-byte image id and an unused two-entry colour map are skipped.
    const std::string idAndMap = tempPath("idmap.tga");
    writeBytes(idAndMap, {5, 1, 2, 0, 0, 2, 0, 24, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 'i', 'm', 'a', 'g', 'e',
                          99, 99, 99, 98, 98, 98, 1, 2, 3});
    EXPECT_EQ(load(idAndMap).levels.at(0), (Bytes{3, 2, 1}));
    // Descriptor bit 5 set: the file's first row is the top row.
    const std::string topOrigin = tempPath("top-origin.tga");
    writeBytes(topOrigin, {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 24, 0x20, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(load(topOrigin).levels.at(0), (Bytes{3, 2, 1, 6, 5, 4}));
}

TEST(TgaLoader, RejectsOtherTypesDepthsAndSizesWithALine)
{
    // No image, colour-mapped and run-length encoded types; a 16-bit depth; an empty
    // image; 65535 x 65535 x 4 bytes (17 GB), refused before allocating.
    const struct {
        int type, width, height, bits;
    } headers[] = {{0, 2, 2, 24}, {1, 2, 2, 24}, {10, 2, 2, 24}, {2, 2, 2, 16}, {2, 0, 4, 24}, {2, 65535, 65535, 32}};
    for (const auto& h : headers) {
        const std::string path = tempPath("header" + std::to_string(h.type) + "-" + std::to_string(h.width) +
                                          "-" + std::to_string(h.bits) + ".tga");
        writeTgaRaw(path, h.type, h.width, h.height, h.bits, Bytes(1024, 0x7f));
        expectRejected(path);
    }
}

TEST(TgaLoader, RejectsEveryTruncationAMissingFileAndAPipe)
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
    expectRejected(tempPath("missing.tga"));
    // Opening a pipe for reading waits for a writer for ever.
    const std::string pipe = tempPath("pipe.tga");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    expectRejected(pipe);
}
