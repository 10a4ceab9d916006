#include "effects/GlowPass.h"

#include "effects/ShaderManager.h"
#include "GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int WIDTH = 320, HEIGHT = 240;

// The game's effect, loaded from the source tree, and a glow pass on a window of
// WIDTH x HEIGHT.
class GlowPassTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        GlTestContext::ensure(WIDTH, HEIGHT);
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(PITCHROLL_SOURCE_DIR);
        ShaderManager::instance()->init();
        std::filesystem::current_path(previous);
    }

    void SetUp() override { glow.resize(WIDTH, HEIGHT); }

    // Fills the scene target: the left half dark grey, the right half a bright
    // square on black.
    void drawScene()
    {
        glow.bindSceneTarget();
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(WIDTH / 2, 0, WIDTH / 2, HEIGHT);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(WIDTH * 5 / 8, HEIGHT * 3 / 8, WIDTH / 4, HEIGHT / 4);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }

    static const std::uint8_t* pixel(const std::vector<std::uint8_t>& image, int x, int y)
    {
        return GlTestContext::pixel(image, WIDTH, x, y);
    }

    GlowPass glow;
};

}  // namespace

TEST_F(GlowPassTest, WindowShowsTheSceneWithAHaloAroundBrightParts)
{
    drawScene();
    glow.render(false);
    const auto image = GlTestContext::readPixels(WIDTH, HEIGHT, "glow-on.ppm");

    EXPECT_NEAR(pixel(image, WIDTH / 4, HEIGHT / 2)[0], 51, 3) << "dim scene passes unchanged";
    EXPECT_GE(pixel(image, WIDTH * 3 / 4, HEIGHT / 2)[0], 250) << "bright square stays bright";
    // Just outside the square the blurred glow lights the black background.
    const int outside = WIDTH * 5 / 8 - 1;
    EXPECT_GT(pixel(image, outside, HEIGHT / 2)[0], 8);
    EXPECT_LT(pixel(image, WIDTH / 2 + 4, HEIGHT / 8)[0], 4) << "far from the square stays black";
}

// The scene target matches the window pixel for pixel: a one-pixel line stays one
// pixel wide after the window changes size.
TEST_F(GlowPassTest, SceneTargetFollowsTheWindowSize)
{
    glow.resize(WIDTH - 37, HEIGHT);
    glow.bindSceneTarget();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(101, 0, 1, HEIGHT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glow.render(false);
    const auto image = GlTestContext::readPixels(WIDTH, HEIGHT);
    EXPECT_EQ(pixel(image, 101, HEIGHT / 2)[0], 255);
    EXPECT_EQ(pixel(image, 100, HEIGHT / 2)[0], 0);
    EXPECT_EQ(pixel(image, 102, HEIGHT / 2)[0], 0);
}
