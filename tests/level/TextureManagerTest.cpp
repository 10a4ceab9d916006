#include "level/TextureManager.h"

#include "ImageFiles.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

using namespace imagefiles;

namespace {

// Every case starts with an empty cache and the initial modes.
class TextureManagerTest : public testing::Test {
protected:
    void SetUp() override { GlTestContext::ensure(); }
    void TearDown() override { delete TextureManager::instance(); }

    static GLuint load(const std::string& path, bool mipmaps = true, bool compress = false, bool clamp = false)
    {
        return TextureManager::instance()->loadTexture(path.c_str(), mipmaps, compress, clamp);
    }
};

// A parameter of the texture, or with level 0 or more of that level, as the driver reports it.
GLint parameter(GLuint texture, GLenum name, GLint level = -1)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    if (level < 0)
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    else
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

// A red Targa file of 1 (alpha only), 3 or 4 channels.
std::string tga(const std::string& name, int width = 4, int height = 4, int channels = 3)
{
    Bytes colour = {255, 0, 0, 255};
    colour.resize(static_cast<std::size_t>(channels));
    const std::string path = tempPath(name);
    writeTga(path, width, height, channels, solid(width, height, colour));
    return path;
}

// Draws texture over the square (x, y, size) of the window, y downwards, texture row 0 on top.
void drawQuad(GLuint texture, int x, int y, int size)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (const auto& corner : {std::make_pair(0, 0), {1, 0}, {1, 1}, {0, 1}}) {
        glTexCoord2i(corner.first, corner.second);
        glVertex2i(x + corner.first * size, y + corner.second * size);
    }
    glEnd();
}

} // namespace

TEST_F(TextureManagerTest, CachesByNameUntilDestroyed)
{
    const std::string path = tga("cached.tga");
    const GLuint first = load(path);
    ASSERT_NE(first, 0u);
    // The file is read once: gone from disk, the cached texture is still returned.
    std::remove(path.c_str());
    EXPECT_EQ(load(path), first);
    delete TextureManager::instance();
    EXPECT_EQ(glIsTexture(first), GL_FALSE);
}

TEST_F(TextureManagerTest, ChoosesTheLoaderByExtensionIgnoringCase)
{
    EXPECT_NE(load(tga("upper.TGA")), 0u);
    const std::string dds = tempPath("mixed.DdS");
    writeDds(dds, 2, 2, {solid(2, 2, {1, 2, 3})});
    EXPECT_NE(load(dds), 0u);
    EXPECT_EQ(load(tga("targa.png")), 0u);
    EXPECT_EQ(load("ga"), 0u);
}

TEST_F(TextureManagerTest, BadFilesGiveTextureZeroAndOneLineOnce)
{
    // A cut Targa file takes the missing one's way out of the Targa loader (TgaLoaderTest).
    const std::string corruptDds = tempPath("bad.dds");
    writeBytes(corruptDds, Bytes(256, 0xee));
    const std::string png = tempPath("picture.png");
    writeBytes(png, Bytes(64, 0));
    // Wider than any driver's limit: the upload would fail with a GL error.
    const std::string wide = tempPath("wide.tga");
    writeTgaRaw(wide, 2, 40000, 1, 24, Bytes(40000 * 3, 0x40));

    for (const std::string& path : {corruptDds, png, wide, tempPath("absent.tga")}) {
        SCOPED_TRACE(path);
        testing::internal::CaptureStdout();
        EXPECT_EQ(load(path), 0u);
        EXPECT_EQ(load(path), 0u);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find(path), std::string::npos);
        EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureManagerTest, DriverHoldsTheLevelsFormatFiltersAndWrapModesAsked)
{
    const std::string dds = tempPath("state.dds");
    writeDds(dds, 8, 8, {solid(8, 8, {1, 2, 3})});
    // Chains of other shapes are drawn in TargaAndDevilDdsShowTheSamePicture.
    const GLint MIPMAPPED = GL_LINEAR_MIPMAP_LINEAR;
    // Mesa's software rasterizers keep compressible textures uncompressed.
    const bool compressed = TextureManager::compressionPays(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    EXPECT_FALSE(TextureManager::compressionPays("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(TextureManager::compressionPays("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"));
    // Mipmaps are built through GLU, which reads the pixel-store modes: they must come back.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const struct {
        std::string path;
        bool mipmaps, compress, clamp;
        GLint format, levels, minFilter, lastWidth, lastHeight;
    } cases[] = {
        {tga("big.tga", 256, 256), true, false, false, GL_RGB, 9, MIPMAPPED, 1, 1},
        {tga("single.tga", 256, 256), false, false, false, GL_RGB, 1, GL_LINEAR, 256, 256},
        {tga("rgb.tga", 8, 8), true, true, true, compressed ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGB, 4, MIPMAPPED, 1, 1},
        {tga("rgba.tga", 8, 8, 4), true, true, false, compressed ? GL_COMPRESSED_RGBA_S3TC_DXT5_EXT : GL_RGBA, 4, MIPMAPPED, 1, 1},
        {tga("alpha.tga", 8, 8, 1), true, true, false, GL_ALPHA, 4, MIPMAPPED, 1, 1},
        {dds, false, true, true, GL_RGB, 1, GL_LINEAR, 8, 8}, // DDS files are never compressed again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const GLuint texture = load(c.path, c.mipmaps, c.compress, c.clamp);
        for (const GLint level : {0, c.levels - 1})
            EXPECT_EQ(parameter(texture, GL_TEXTURE_INTERNAL_FORMAT, level), c.format);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_WIDTH, c.levels - 1), c.lastWidth);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_HEIGHT, c.levels - 1), c.lastHeight);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_WIDTH, c.levels), 0);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MAX_LEVEL), c.levels - 1);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), c.minFilter);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_S), c.clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_T), c.clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT);
    }
    for (const GLenum mode : {GL_PACK_ALIGNMENT, GL_UNPACK_ALIGNMENT}) {
        GLint alignment = 0;
        glGetIntegerv(mode, &alignment);
        EXPECT_EQ(alignment, 4);
    }
}

TEST_F(TextureManagerTest, FilterAndMipmapModesReachEveryCachedTexture)
{
    TextureManager* manager = TextureManager::instance();
    manager->setFilterMode(1); // nothing cached: not taken
    EXPECT_EQ(manager->getFilterMode(), 2);
    const GLuint mipmapped = load(tga("modes-mip.tga"));
    const GLuint single = load(tga("modes-single.tga"), false);
    // Filter mode, mipmap mode -> minification filter of each texture and their magnification filter.
    const struct {
        int filter, mipmap;
        GLint mipmappedMin, singleMin, mag;
    } steps[] = {
        {1, 2, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST, GL_NEAREST},
        {1, 1, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, GL_NEAREST},
        {3, -1, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, GL_NEAREST}, // out of range: ignored
        {2, 1, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_LINEAR},
        {2, 0, GL_LINEAR, GL_LINEAR, GL_LINEAR},
        {0, 1, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, GL_NEAREST}, // 0 is nearest too
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.filter) + " " + std::to_string(step.mipmap));
        manager->setFilterMode(step.filter);
        manager->setMipmapMode(step.mipmap);
        EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), step.mipmappedMin);
        EXPECT_EQ(parameter(single, GL_TEXTURE_MIN_FILTER), step.singleMin);
        EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MAG_FILTER), step.mag);
        EXPECT_EQ(parameter(single, GL_TEXTURE_MAG_FILTER), step.mag);
    }
    EXPECT_EQ(manager->getFilterMode(), 1);
    EXPECT_EQ(manager->getMipmapMode(), 1);
    // A texture loaded now still starts linear.
    const GLuint later = load(tga("modes-later.tga"));
    EXPECT_EQ(parameter(later, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(later, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureManagerTest, TargaAndDevilDdsShowTheSamePictureAndShortChainsSampleTheirColour)
{
    // Red on top with a green corner at the top left, blue below, in both formats.
    Bytes picture = twoBands(16, 16, {255, 0, 0}, {0, 0, 255});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            picture[(y * 16 + x) * 3 + 1] = 255, picture[(y * 16 + x) * 3] = 0;
    const std::string tgaFile = tempPath("picture.tga");
    writeTga(tgaFile, 16, 16, 3, picture);
    Bytes rgba;
    for (std::size_t i = 0; i < picture.size(); i += 3)
        rgba.insert(rgba.end(), {picture[i], picture[i + 1], picture[i + 2], 255});
    const std::string ddsFile = tempPath("picture.dds");
    ASSERT_TRUE(writeDevilDds(ddsFile, 16, 16, rgba));
    const std::string shortChain = tempPath("chain-short.dds");
    writeDds(shortChain, 64, 64, {solid(64, 64, {255, 0, 0}), solid(32, 32, {255, 0, 0})});

    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0.2f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    drawQuad(load(tgaFile, false), 100, 100, 160);
    drawQuad(load(ddsFile, false), 360, 100, 160);
    // Minified, these sample their last levels; an incomplete texture would sample black.
    const GLuint chains[] = {load(tga("chain-wide.tga", 64, 16)), load(tga("chain-tall.tga", 6, 40)), load(shortChain)};
    for (int i = 0; i < 3; ++i)
        drawQuad(chains[i], 10 + 20 * i, 10, 4);
    glFinish();
    const auto image = GlTestContext::readPixels(640, 480, "tga-and-dds.ppm");
    const auto colourAt = [&image](int x, int y) {
        const std::uint8_t* p = GlTestContext::pixel(image, 640, x, y);
        return Bytes{p[0], p[1], p[2]};
    };
    for (const int left : {100, 360}) {
        SCOPED_TRACE(left);
        EXPECT_EQ(colourAt(left + 10, 110), (Bytes{0, 255, 0}));
        EXPECT_EQ(colourAt(left + 120, 110), (Bytes{255, 0, 0}));
        EXPECT_EQ(colourAt(left + 120, 250), (Bytes{0, 0, 255}));
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(colourAt(12 + 20 * i, 12), (Bytes{255, 0, 0})) << "chain " << i;
}
