#include "effects/ParticleRenderer.h"

#include "GlTestContext.h"
#include "effects/ParticleEmitter.h"
#include "effects/ParticleFrames.h"
#include "math/Random.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int WINDOW = 512;
constexpr int ATLAS = 1024;
const char* const TEST_ATLAS = "particle-test-atlas.tga";

// A stand-in atlas: a soft white blob, opaque in the middle and fading out, in every
// 128-pixel cell, and a solid white square where frame 1 lies (pixel y counted
// from the top). Uncompressed 32-bit Targa, bottom row first, as the loader reads it.
void writeTestAtlas(const char* fileName)
{
    std::vector<std::uint8_t> file(18 + ATLAS * ATLAS * 4);
    file[2] = 2;  // uncompressed true colour
    file[12] = ATLAS & 0xff;
    file[13] = ATLAS >> 8;
    file[14] = ATLAS & 0xff;
    file[15] = ATLAS >> 8;
    file[16] = 32;
    file[17] = 0x08;  // 8 alpha bits
    for (int y = 0; y < ATLAS; ++y) {
        for (int x = 0; x < ATLAS; ++x) {
            const float dx = static_cast<float>(x % 128) - 63.5f;
            const float dy = static_cast<float>(y % 128) - 63.5f;
            float fade = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) / 64.0f);
            fade *= fade;
            if (x >= 128 && x < 160 && y >= 768 && y < 800)
                fade = 1.0f;
            const std::size_t fileRow = ATLAS - 1 - y;
            std::uint8_t* bgra = &file[18 + (fileRow * ATLAS + x) * 4];
            const auto level = static_cast<std::uint8_t>(255.0f * fade);
            bgra[0] = bgra[1] = bgra[2] = 255;
            bgra[3] = level;
        }
    }
    FILE* out = std::fopen(fileName, "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
}

// The game's view of the scene: perspective projection and a camera above the origin.
Matrix4 setUpCamera(const Vector3& eye)
{
    glViewport(0, 0, WINDOW, WINDOW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return Matrix4(m);
}

void clearDark()
{
    glClearColor(0.04f, 0.04f, 0.08f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

bool isEnabled(GLenum capability)
{
    return glIsEnabled(capability) == GL_TRUE;
}

GLint integerState(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

void expectStateRestored()
{
    EXPECT_FALSE(isEnabled(GL_BLEND));
    EXPECT_TRUE(isEnabled(GL_LIGHTING));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_EQ(integerState(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(integerState(GL_ARRAY_BUFFER_BINDING_ARB), 0);
    EXPECT_EQ(integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB), 0);
    for (GLenum array : {GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY, GL_VERTEX_ARRAY, GL_NORMAL_ARRAY})
        EXPECT_FALSE(isEnabled(array)) << "client array " << array;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

struct Pixel {
    int r, g, b;
};

Pixel pixelAt(const std::vector<std::uint8_t>& rgba, int x, int y)
{
    const std::size_t i = (static_cast<std::size_t>(y) * WINDOW + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
}

void saveScreenshot(const std::vector<std::uint8_t>& rgba, const std::string& name)
{
    const std::string ppm = name + ".ppm";
    ASSERT_TRUE(GlTestContext::writePpm(ppm.c_str(), rgba, WINDOW, WINDOW));
    const std::string convert = "convert " + ppm + " " + name + ".png 2>/dev/null";
    if (std::system(convert.c_str()) != 0)
        std::printf("kept %s (no PNG converter)\n", ppm.c_str());
}

// The game's atlas, or an empty string while the data has not been generated.
std::string gameAtlas()
{
    const std::string atlas = std::string(PITCHROLL_DATA_DIR) + "/Textures/particle.tga";
    FILE* file = std::fopen(atlas.c_str(), "rb");
    if (!file)
        return std::string();
    std::fclose(file);
    return atlas;
}

// A loss-burst-like cloud in three colours plus a ballistic splash on the ground,
// advanced half a second.
void emitBurst(ParticleEmitter& emitter)
{
    Random::seed(3);
    const float colours[3][3] = {{1.0f, 0.45f, 0.1f}, {0.2f, 0.6f, 1.0f}, {0.4f, 1.0f, 0.3f}};
    for (int i = 0; i < 150; ++i) {
        const float* c = colours[i % 3];
        const Vector3 position(Random::unit() * 40.0f - 20.0f, Random::unit() * 30.0f,
                               Random::unit() * 40.0f - 20.0f);
        const Vector3 velocity(Random::unit() * 6.0f - 3.0f, Random::unit() * 6.0f - 3.0f,
                               Random::unit() * 6.0f - 3.0f);
        emitter.emit(3.0f, 2.0f, 17.0f, position, velocity, 1.0f, 6.0f, 12.0f, c[0], c[1], c[2],
                     1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, false, 0.0f, false, false,
                     i % 2 == 0);
    }
    for (int i = 0; i < 20; ++i)
        emitter.emit(2.0f, 0.0f, 0.0f, Vector3(Random::unit() * 20.0f - 10.0f, 0.0f, 25.0f),
                     Vector3(0.0f, 20.0f, 0.0f), 1.0f, 3.0f, 3.0f, 1.0f, 1.0f, 0.6f, 1.0f, 1.0f,
                     1.0f, 0.6f, 0.0f, 0.0f, 0.0f, true, 0.0f, true, true, true);
    for (int step = 1; step <= 20; ++step)
        emitter.update(0.025f, 0.025f * step, Matrix4());
}

// Draws the burst with the given atlas and checks that it shows bright, soft and
// coloured sprites over the dark background; the screenshot is kept for viewing.
void drawBurstScreenshot(const char* atlasFile, const std::string& screenshot)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    ParticleRenderer renderer;
    renderer.load(atlasFile, 50000);
    ASSERT_NE(renderer.texture(), 0u);
    ParticleFrames::defineAll(renderer);
    ParticleEmitter emitter;
    emitter.init(50000);
    emitBurst(emitter);

    const Vector3 eye(0.0f, 40.0f, 110.0f);
    const Matrix4 view = setUpCamera(eye);
    clearDark();
    renderer.prepare(view, eye);
    emitter.submit(renderer);
    renderer.finish();
    ASSERT_EQ(renderer.spriteCount(), emitter.count());
    ASSERT_GT(renderer.spriteCount(), 150);
    glEnable(GL_BLEND);
    renderer.render();
    expectStateRestored();

    const std::vector<std::uint8_t> rgba = GlTestContext::readPixels(WINDOW, WINDOW);
    saveScreenshot(rgba, screenshot);
    int bright = 0, soft = 0, warm = 0, cold = 0;
    for (int y = 0; y < WINDOW; ++y) {
        for (int x = 0; x < WINDOW; ++x) {
            const Pixel p = pixelAt(rgba, x, y);
            const int level = std::max({p.r, p.g, p.b});
            bright += level > 200;
            soft += level > 40 && level < 160;
            warm += p.r > p.b + 60;
            cold += p.b > p.r + 60;
        }
    }
    const int area = WINDOW * WINDOW;
    EXPECT_GT(bright, area / 200) << "bright sprite centres";
    EXPECT_GT(soft, area / 50) << "soft edges fading into the background";
    EXPECT_GT(warm, area / 200) << "orange sprites";
    EXPECT_GT(cold, area / 200) << "blue sprites";
    EXPECT_LT(bright, area / 2) << "the background stays visible";
}

}  // namespace

TEST(ParticleRenderer, BurstShowsBrightSoftColouredSprites)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    writeTestAtlas(TEST_ATLAS);
    drawBurstScreenshot(TEST_ATLAS, "particle-burst-test-atlas");
}

TEST(ParticleRenderer, BurstWithTheGameAtlas)
{
    const std::string atlas = gameAtlas();
    if (atlas.empty())
        GTEST_SKIP() << "the game's particle atlas is not generated";
    drawBurstScreenshot(atlas.c_str(), "particle-burst-game-atlas");
}

TEST(ParticleRenderer, EveryGameFrameShowsSomething)
{
    const std::string atlas = gameAtlas();
    if (atlas.empty())
        GTEST_SKIP() << "the game's particle atlas is not generated";
    GlTestContext::ensure(WINDOW, WINDOW);
    ParticleRenderer renderer;
    renderer.load(atlas.c_str(), ParticleFrames::COUNT);
    ParticleFrames::defineAll(renderer);

    // The 40 frames in white on an 8 x 5 grid, frame 0 top left, rows of 8.
    const Vector3 eye(0.0f, 0.0f, 100.0f);
    const Matrix4 view = setUpCamera(eye);
    clearDark();
    const float cell = 82.8f / 8.0f;  // the view is 82.8 units wide at the origin
    const float size[2] = {cell * 0.9f, cell * 0.9f};
    renderer.prepare(view, eye);
    for (int k = 0; k < ParticleFrames::COUNT; ++k) {
        const Vector3 centre((k % 8 - 3.5f) * cell, (2.0f - k / 8) * cell, 0.0f);
        renderer.addSprite(k, centre, 1, 1, 1, 1, size, 0.0f, true);
    }
    renderer.finish();
    renderer.render();
    const std::vector<std::uint8_t> rgba = GlTestContext::readPixels(WINDOW, WINDOW);
    saveScreenshot(rgba, "particle-frames-game-atlas");

    const int cellPixels = WINDOW / 8;
    for (int k = 0; k < ParticleFrames::COUNT; ++k) {
        const int x0 = (k % 8) * cellPixels;
        const int y0 = WINDOW / 2 + (k / 8 - 2) * cellPixels - cellPixels / 2;
        int lit = 0;
        for (int y = y0; y < y0 + cellPixels; ++y)
            for (int x = x0; x < x0 + cellPixels; ++x)
                lit += pixelAt(rgba, x, y).r > 30;  // the background's red is 10
        // The last frames of the fading sequences are faint, but never empty.
        EXPECT_GT(lit, 100) << "frame " << k << " is empty";
    }
}

TEST(ParticleRenderer, BlendsAdditively)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    writeTestAtlas(TEST_ATLAS);
    ParticleRenderer renderer;
    renderer.load(TEST_ATLAS, 4);
    ParticleFrames::defineAll(renderer);
    const Vector3 eye(0.0f, 0.0f, 100.0f);
    const Matrix4 view = setUpCamera(eye);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);

    // Frame 1 is solid white: a sprite shows its colour times its alpha, and a
    // second one on top adds as much again.
    const float size[2] = {20.0f, 20.0f};
    renderer.prepare(view, eye);
    renderer.addSprite(1, Vector3(-15.0f, 0.0f, 0.0f), 0.4f, 0.2f, 0.1f, 1.0f, size, 0.0f, true);
    renderer.addSprite(1, Vector3(15.0f, 0.0f, 0.0f), 0.8f, 0.8f, 0.8f, 0.5f, size, 0.0f, true);
    renderer.addSprite(1, Vector3(15.0f, 0.0f, 0.0f), 0.8f, 0.8f, 0.8f, 0.5f, size, 0.0f, true);
    renderer.finish();
    renderer.render();

    const std::vector<std::uint8_t> rgba = GlTestContext::readPixels(WINDOW, WINDOW);
    saveScreenshot(rgba, "particle-additive");
    const Pixel single = pixelAt(rgba, WINDOW / 2 - 60, WINDOW / 2);
    EXPECT_NEAR(single.r, 102, 3);
    EXPECT_NEAR(single.g, 51, 3);
    EXPECT_NEAR(single.b, 25, 3);
    const Pixel doubled = pixelAt(rgba, WINDOW / 2 + 60, WINDOW / 2);
    EXPECT_NEAR(doubled.r, 204, 3);
    const Pixel outside = pixelAt(rgba, 10, 10);
    EXPECT_EQ(outside.r, 0);
}

TEST(ParticleRenderer, RenderLeavesBlendingOffWhateverItWas)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    writeTestAtlas(TEST_ATLAS);
    ParticleRenderer renderer;
    renderer.load(TEST_ATLAS, 8);
    const float size[2] = {5.0f, 5.0f};
    for (bool blendingBefore : {true, false}) {
        if (blendingBefore)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        glDisable(GL_LIGHTING);
        renderer.prepare(Matrix4(), Vector3());
        renderer.addSprite(0, Vector3(0.0f, 0.0f, -50.0f), 1, 1, 1, 1, size, 0.3f, false);
        renderer.finish();
        renderer.render();
        expectStateRestored();
    }
}

TEST(ParticleRenderer, NothingCollectedChangesNoState)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    ParticleRenderer renderer;
    renderer.load(TEST_ATLAS, 8);
    renderer.prepare(Matrix4(), Vector3());
    renderer.finish();
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    renderer.render();
    EXPECT_TRUE(isEnabled(GL_BLEND));
    EXPECT_FALSE(isEnabled(GL_LIGHTING));
    glDisable(GL_BLEND);
}

TEST(ParticleRenderer, BuffersHoldTheIndexPatternAndTheFramesVertices)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    ParticleRenderer renderer;
    renderer.load(TEST_ATLAS, 100);
    GLint bytes = 0;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, renderer.vertexBufferObject());
    glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &bytes);
    EXPECT_EQ(bytes, 100 * 144);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);

    std::vector<std::uint32_t> indices(100 * 6);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, renderer.indexBufferObject());
    glGetBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0, indices.size() * 4, indices.data());
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    EXPECT_TRUE(std::equal(indices.begin(), indices.end(), renderer.indices()));
    const std::uint32_t lastSprite[6] = {396, 398, 397, 396, 399, 398};
    EXPECT_TRUE(std::equal(lastSprite, lastSprite + 6, indices.end() - 6));

    // One copy per frame: after render the buffer starts with this frame's vertices.
    const float size[2] = {5.0f, 5.0f};
    renderer.prepare(Matrix4(), Vector3());
    renderer.addSprite(3, Vector3(1.0f, 2.0f, -30.0f), 0.5f, 0.5f, 0.5f, 1.0f, size, 0.0f, true);
    renderer.finish();
    renderer.render();
    std::vector<SpriteBatch::Vertex> uploaded(4);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, renderer.vertexBufferObject());
    glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, 144, uploaded.data());
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(uploaded[k].x, renderer.vertices()[k].x);
        EXPECT_FLOAT_EQ(uploaded[k].y, renderer.vertices()[k].y);
    }

    renderer.release();
    EXPECT_EQ(renderer.vertexBufferObject(), 0u);
    EXPECT_EQ(renderer.maximumSprites(), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
