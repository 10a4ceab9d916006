#include "level/TextureManager.h"

#include "ImageFiles.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace imagefiles;

namespace {

// Every case starts with an empty cache and the initial modes.
class TextureManagerTest : public testing::Test {
protected:
    void SetUp() override { GlTestContext::ensure(); }
    void TearDown() override { delete TextureManager::instance(); }

    static GLuint load(const std::string& path, bool mipmaps = true, bool compress = false,
                       bool clamp = false)
    {
        return TextureManager::instance()->loadTexture(path.c_str(), mipmaps, compress, clamp);
    }
};

// Parameters as the driver reports them.
GLint parameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelParameter(GLuint texture, GLint level, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

// Levels the driver holds: those with a non-zero width.
int levelCount(GLuint texture)
{
    int count = 0;
    while (count < 20 && levelParameter(texture, count, GL_TEXTURE_WIDTH) > 0)
        ++count;
    return count;
}

std::string rgbTga(const std::string& name, int width = 4, int height = 4)
{
    const std::string path = tempPath(name);
    writeTga(path, width, height, 3, solid(width, height, {255, 0, 0}));
    return path;
}

// Draws `texture` over the square (x, y, size) of the window (y downwards),
// with texture row 0 at the top.
void drawQuad(GLuint texture, int x, int y, int size)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(x, y);
    glTexCoord2f(1, 0);
    glVertex2i(x + size, y);
    glTexCoord2f(1, 1);
    glVertex2i(x + size, y + size);
    glTexCoord2f(0, 1);
    glVertex2i(x, y + size);
    glEnd();
}

// A window-sized projection with y running downwards, texturing on.
void beginDrawing()
{
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glClearColor(0.2f, 0.2f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

const std::uint8_t* pixel(const std::vector<std::uint8_t>& rgba, int x, int y)
{
    return &rgba[(static_cast<std::size_t>(y) * 640 + x) * 4];
}

} // namespace

TEST_F(TextureManagerTest, CachesByTheNameAsSpelled)
{
    const std::string path = rgbTga("cached.tga");
    const GLuint first = load(path);
    ASSERT_NE(first, 0u);
    // The same file under another spelling is a separate entry.
    const std::string otherSpelling = tempPath("./cached.tga");
    const GLuint second = load(otherSpelling);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    // The file is read once: gone from disk, the cached texture is still returned.
    std::remove(path.c_str());
    EXPECT_EQ(load(path), first);
    EXPECT_EQ(load(otherSpelling), second);
}

TEST_F(TextureManagerTest, ChoosesTheLoaderByExtensionIgnoringCase)
{
    const std::string upper = rgbTga("upper.TGA");
    EXPECT_NE(load(upper), 0u);
    const std::string dds = tempPath("mixed.DdS");
    writeDds(dds, 2, 2, {solid(2, 2, {1, 2, 3})});
    EXPECT_NE(load(dds), 0u);

    // Targa content under another extension is not read; the failure is cached.
    const std::string png = tempPath("picture.png");
    writeTga(png, 2, 2, 3, solid(2, 2, {1, 2, 3}));
    EXPECT_EQ(load(png), 0u);
    EXPECT_EQ(load(png), 0u);
    EXPECT_EQ(load("ga"), 0u);
}

TEST_F(TextureManagerTest, MipmappedTexturesHoldTheFullChain)
{
    const GLuint mipmapped = load(rgbTga("big.tga", 256, 256), true);
    EXPECT_EQ(levelCount(mipmapped), 9);
    EXPECT_EQ(levelParameter(mipmapped, 8, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MAX_LEVEL), 8);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    const GLuint single = load(rgbTga("big-single.tga", 256, 256), false);
    EXPECT_EQ(levelCount(single), 1);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureManagerTest, ClampedTexturesClampBothAxes)
{
    const GLuint clamped = load(rgbTga("sky.tga"), false, true, true);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    const GLuint repeated = load(rgbTga("material.tga"), true, true, false);
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_WRAP_T), GL_REPEAT);
}

TEST_F(TextureManagerTest, CompressesTargaColourImagesOnly)
{
    const std::string rgba = tempPath("rgba.tga");
    writeTga(rgba, 8, 8, 4, solid(8, 8, {1, 2, 3, 4}));
    const std::string alpha = tempPath("alpha.tga");
    writeTga(alpha, 8, 8, 1, solid(8, 8, {5}));
    const std::string dds = tempPath("compress.dds");
    writeDds(dds, 8, 8, {solid(8, 8, {1, 2, 3})});

    const GLuint rgb = load(rgbTga("rgb.tga", 8, 8), true, true);
    EXPECT_EQ(levelParameter(rgb, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_COMPRESSED_RGB_S3TC_DXT1_EXT);
    EXPECT_EQ(levelParameter(rgb, 3, GL_TEXTURE_INTERNAL_FORMAT), GL_COMPRESSED_RGB_S3TC_DXT1_EXT);
    EXPECT_EQ(levelParameter(rgb, 0, GL_TEXTURE_COMPRESSED), GL_TRUE);
    EXPECT_EQ(levelParameter(load(rgba, true, true), 0, GL_TEXTURE_INTERNAL_FORMAT),
              GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
    const GLuint alphaTexture = load(alpha, true, true);
    EXPECT_EQ(levelParameter(alphaTexture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_ALPHA);
    EXPECT_EQ(levelCount(alphaTexture), 4);
    // DDS files are never compressed again.
    const GLuint ddsTexture = load(dds, false, true);
    EXPECT_EQ(levelParameter(ddsTexture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(levelParameter(ddsTexture, 0, GL_TEXTURE_COMPRESSED), GL_FALSE);
    EXPECT_EQ(levelParameter(load(rgbTga("plain.tga"), false, false), 0, GL_TEXTURE_INTERNAL_FORMAT),
              GL_RGB);
}

TEST_F(TextureManagerTest, ModesApplyToCachedTexturesOnly)
{
    TextureManager* manager = TextureManager::instance();
    // Nothing cached: the modes are not taken.
    manager->setFilterMode(1);
    manager->setMipmapMode(0);
    EXPECT_EQ(manager->getFilterMode(), 2);
    EXPECT_EQ(manager->getMipmapMode(), 2);

    const GLuint mipmapped = load(rgbTga("modes-mip.tga"));
    const GLuint single = load(rgbTga("modes-single.tga"), false);
    manager->setFilterMode(1);
    manager->setMipmapMode(2);
    EXPECT_EQ(manager->getFilterMode(), 1);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    manager->setMipmapMode(1);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);

    // A texture loaded now still starts linear.
    const GLuint later = load(rgbTga("modes-later.tga"));
    EXPECT_EQ(parameter(later, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(later, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // Linear filtering keeps the mipmap mode; mode 0 also means nearest.
    manager->setFilterMode(2);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    manager->setFilterMode(0);
    EXPECT_EQ(manager->getFilterMode(), 1);
    EXPECT_EQ(parameter(later, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);

    // Mipmapping off leaves single-level textures untouched.
    manager->setFilterMode(2);
    glBindTexture(GL_TEXTURE_2D, single);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    manager->setMipmapMode(0);
    EXPECT_EQ(manager->getMipmapMode(), 0);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(single, GL_TEXTURE_MIN_FILTER), GL_NEAREST);

    // Values outside the ranges are ignored.
    manager->setFilterMode(3);
    manager->setMipmapMode(-1);
    EXPECT_EQ(manager->getFilterMode(), 2);
    EXPECT_EQ(manager->getMipmapMode(), 0);
    EXPECT_EQ(parameter(mipmapped, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureManagerTest, BadFilesGiveTextureZeroAndAreReadOnce)
{
    const std::string truncated = tempPath("bad-truncated.tga");
    writeTga(truncated, 8, 8, 3, solid(8, 8, {1, 2, 3}));
    const Bytes whole = readBytes(truncated);
    writeBytes(truncated, Bytes(whole.begin(), whole.end() - 1));
    const std::string runLength = tempPath("bad-rle.tga");
    TgaHeader header;
    header.imageType = 10;
    header.width = 2;
    header.height = 2;
    writeTgaRaw(runLength, header, Bytes(12, 0));
    const std::string twoChannels = tempPath("bad-16bit.tga");
    header.imageType = 2;
    header.bits = 16;
    writeTgaRaw(twoChannels, header, Bytes(8, 0));
    const std::string corruptDds = tempPath("bad.dds");
    writeBytes(corruptDds, Bytes(256, 0xee));

    for (const std::string& path : {truncated, runLength, twoChannels, corruptDds}) {
        SCOPED_TRACE(path);
        testing::internal::CaptureStdout();
        EXPECT_EQ(load(path), 0u);
        EXPECT_NE(testing::internal::GetCapturedStdout().find(path), std::string::npos);
        testing::internal::CaptureStdout();
        EXPECT_EQ(load(path), 0u);
        EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
    }
    // A missing file is quiet.
    testing::internal::CaptureStdout();
    EXPECT_EQ(load(tempPath("absent.tga")), 0u);
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
}

TEST_F(TextureManagerTest, ShortAndNonSquareChainsAreCompleteTextures)
{
    // An incomplete texture samples black; each of these must show its red.
    const std::string wide = tempPath("chain-wide.tga");
    writeTga(wide, 64, 16, 3, solid(64, 16, {255, 0, 0}));
    const std::string tall = tempPath("chain-tall.tga");
    writeTga(tall, 16, 64, 3, solid(16, 64, {255, 0, 0}));
    const std::string shortChain = tempPath("chain-short.dds");
    writeDds(shortChain, 64, 64, {solid(64, 64, {255, 0, 0}), solid(32, 32, {255, 0, 0})});

    const GLuint textures[] = {load(wide), load(tall), load(shortChain)};
    EXPECT_EQ(levelCount(textures[0]), 7);
    EXPECT_EQ(levelParameter(textures[0], 6, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(levelParameter(textures[0], 3, GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(levelCount(textures[1]), 7);
    EXPECT_EQ(levelParameter(textures[1], 6, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(parameter(textures[2], GL_TEXTURE_MAX_LEVEL), 1);

    beginDrawing();
    for (int i = 0; i < 3; ++i)
        drawQuad(textures[i], 10 + 20 * i, 10, 4); // minified: mipmaps are sampled
    const auto rgba = GlTestContext::readPixels(640, 480);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::uint8_t* p = pixel(rgba, 12 + 20 * i, 12);
        EXPECT_EQ(p[0], 255);
        EXPECT_EQ(p[1], 0);
        EXPECT_EQ(p[2], 0);
    }
}

TEST_F(TextureManagerTest, TargaAndDdsShowTheSamePicture)
{
    // Red on top, a green corner at the top left, blue below, in both formats.
    Bytes picture = twoBands(16, 16, {255, 0, 0}, {0, 0, 255});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            picture[(y * 16 + x) * 3 + 1] = 255, picture[(y * 16 + x) * 3] = 0;
    const std::string tga = tempPath("picture.tga");
    writeTga(tga, 16, 16, 3, picture);
    const std::string dds = tempPath("picture.dds");
    Bytes rgba;
    for (std::size_t i = 0; i < picture.size(); i += 3)
        rgba.insert(rgba.end(), {picture[i], picture[i + 1], picture[i + 2], 255});
    ASSERT_TRUE(writeDevilDds(dds, 16, 16, rgba));

    beginDrawing();
    drawQuad(load(tga, false), 100, 100, 160);
    drawQuad(load(dds, false), 360, 100, 160);
    glFinish();
    const auto image = GlTestContext::readPixels(640, 480);
    GlTestContext::writePpm("tga-and-dds.ppm", image, 640, 480); // for a look

    for (const int left : {100, 360}) {
        SCOPED_TRACE(left);
        const std::uint8_t* corner = pixel(image, left + 10, 110);
        const std::uint8_t* top = pixel(image, left + 120, 110);
        const std::uint8_t* bottom = pixel(image, left + 120, 250);
        EXPECT_EQ((Bytes{corner[0], corner[1], corner[2]}), (Bytes{0, 255, 0}));
        EXPECT_EQ((Bytes{top[0], top[1], top[2]}), (Bytes{255, 0, 0}));
        EXPECT_EQ((Bytes{bottom[0], bottom[1], bottom[2]}), (Bytes{0, 0, 255}));
    }
}

TEST_F(TextureManagerTest, DestructorDeletesEveryTexture)
{
    const GLuint first = load(rgbTga("gone-1.tga"));
    const GLuint second = load(rgbTga("gone-2.tga"), false);
    EXPECT_EQ(glIsTexture(first), GL_TRUE);
    delete TextureManager::instance();
    EXPECT_EQ(glIsTexture(first), GL_FALSE);
    EXPECT_EQ(glIsTexture(second), GL_FALSE);
}
