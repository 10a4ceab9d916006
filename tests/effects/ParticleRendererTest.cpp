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
#include <fstream>
#include <vector>

namespace {

constexpr int WINDOW = 512;
constexpr int ATLAS = 1024;
const char* const TEST_ATLAS = "particle-test-atlas.tga";

// A stand-in atlas, as a 32-bit Targa file bottom row first: a soft white blob in
// every 128-pixel cell.
void writeTestAtlas()
{
    std::vector<std::uint8_t> file(18 + ATLAS * ATLAS * 4, 255);
    std::fill(file.begin(), file.begin() + 18, 0);
    file[2] = 2;  // uncompressed true colour
    file[13] = file[15] = ATLAS >> 8;
    file[16] = 32;
    file[17] = 8;  // alpha bits
    for (int y = 0; y < ATLAS; ++y) {
        for (int x = 0; x < ATLAS; ++x) {
            const float fade = std::max(0.0f, 1.0f - std::hypot(x % 128 - 63.5f, y % 128 - 63.5f) / 64.0f);
            file[18 + (static_cast<std::size_t>(ATLAS - 1 - y) * ATLAS + x) * 4 + 3] =
                static_cast<std::uint8_t>(255.0f * fade * fade);
        }
    }
    std::ofstream(TEST_ATLAS, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

// Perspective projection and a camera looking at the origin over a dark background.
Matrix4 setUpScene(const Vector3& eye)
{
    GlTestContext::ensure(WINDOW, WINDOW);
    glViewport(0, 0, WINDOW, WINDOW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glClearColor(0.04f, 0.04f, 0.08f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return Matrix4(m);
}

GLint integerState(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// What render promises to leave behind, read back from the driver.
void expectStateRestored()
{
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(integerState(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(integerState(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(integerState(GL_ARRAY_BUFFER_BINDING_ARB), 0);
    EXPECT_EQ(integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB), 0);
    for (GLenum array : {GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY, GL_VERTEX_ARRAY, GL_NORMAL_ARRAY})
        EXPECT_FALSE(glIsEnabled(array)) << "client array " << array;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

// A loss-burst-like cloud in three colours plus a bursting splash on the ground,
// advanced half a second, drawn with the stand-in atlas: bright, soft and coloured
// sprites over the dark background.
TEST(ParticleRenderer, BurstShowsBrightSoftColouredSprites)
{
    writeTestAtlas();
    const Vector3 eye(0.0f, 40.0f, 110.0f);
    const Matrix4 view = setUpScene(eye);
    ParticleRenderer renderer;
    renderer.load(TEST_ATLAS, 50000);
    ASSERT_NE(renderer.texture(), 0u);
    ParticleFrames::defineAll(renderer);
    ParticleEmitter emitter;
    emitter.init(50000);
    Random::seed(3);
    const float colours[3][3] = {{1.0f, 0.45f, 0.1f}, {0.2f, 0.6f, 1.0f}, {0.4f, 1.0f, 0.3f}};
    for (int i = 0; i < 150; ++i) {
        const float* c = colours[i % 3];
        const Vector3 position(Random::unit() * 40.0f - 20.0f, Random::unit() * 30.0f, Random::unit() * 40.0f - 20.0f);
        const Vector3 velocity(Random::unit() * 6.0f - 3.0f, Random::unit() * 6.0f - 3.0f, Random::unit() * 6.0f - 3.0f);
        emitter.emit(3.0f, 2.0f, 17.0f, position, velocity, 1.0f, 6.0f, 12.0f, c[0], c[1], c[2], 1.0f, 0.0f, 0.0f,
                     0.0f, 0.0f, 0.0f, 1.0f, false, 0.0f, false, false, i % 2 == 0);
    }
    for (int i = 0; i < 20; ++i)
        emitter.emit(2.0f, 0.0f, 0.0f, Vector3(Random::unit() * 20.0f - 10.0f, 0.0f, 25.0f), Vector3(0.0f, 20.0f, 0.0f),
                     1.0f, 3.0f, 3.0f, 1.0f, 1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 0.6f, 0.0f, 0.0f, 0.0f, true, 0.0f, true,
                     true, true);
    for (int step = 1; step <= 20; ++step)
        emitter.update(0.025f, 0.025f * step, Matrix4());

    renderer.prepare(view, eye);
    emitter.submit(renderer);
    renderer.finish();
    ASSERT_EQ(renderer.spriteCount(), emitter.count());
    ASSERT_GT(renderer.spriteCount(), 150);
    glEnable(GL_BLEND);
    renderer.render();
    expectStateRestored();

    const std::vector<std::uint8_t> rgba = GlTestContext::readPixels(WINDOW, WINDOW, "particle-burst.ppm");
    int bright = 0, soft = 0, warm = 0, cold = 0;
    for (int y = 0; y < WINDOW; ++y) {
        for (int x = 0; x < WINDOW; ++x) {
            const std::uint8_t* p = GlTestContext::pixel(rgba, WINDOW, x, y);
            const int level = std::max({p[0], p[1], p[2]});
            bright += level > 200;
            soft += level > 40 && level < 160;
            warm += p[0] > p[2] + 60;
            cold += p[2] > p[0] + 60;
        }
    }
    const int area = WINDOW * WINDOW;
    EXPECT_GT(bright, area / 200) << "bright sprite centres";
    EXPECT_GT(soft, area / 50) << "soft edges fading into the background";
    EXPECT_GT(warm, area / 200) << "orange sprites";
    EXPECT_GT(cold, area / 200) << "blue sprites";
    EXPECT_LT(bright, area / 2) << "the background stays visible";

    const GLuint buffers[2] = {renderer.vertexBufferObject(), renderer.indexBufferObject()};
    renderer.release();
    EXPECT_FALSE(glIsBufferARB(buffers[0]) || glIsBufferARB(buffers[1]));
}
