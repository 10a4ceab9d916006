#include "physics/DebugRenderer.h"

#include "GlTestContext.h"
#include "physics/DebugData.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int SIZE = 256;
using Pixels = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

// A black window showing x and y in low .. high.
void clearWithView(double low, double high)
{
    GlTestContext::ensure(SIZE, SIZE);
    glViewport(0, 0, SIZE, SIZE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(low, high, low, high, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Colour at pixel (x, y), y counted from the bottom as GL does.
Rgb rgbAt(const Pixels& topDown, int x, int y)
{
    const std::uint8_t* p = &topDown[(std::size_t(SIZE - 1 - y) * SIZE + std::size_t(x)) * 4];
    return {p[0], p[1], p[2]};
}

// GamePhysic's debug view of a 40 x 4 x 10 level box with the ball at (0, 12),
// looking down -z at x and y in -30 .. 30.
Pixels debugViewOfALevel(bool switchedOn, const char* ppmFile = nullptr)
{
    clearWithView(-30, 30);
    GamePhysic& physics = *GamePhysic::instance();
    physics.SetDebugRenderer(std::make_unique<DebugRenderer>());
    physics.Init(switchedOn);
    PhysicsElement floor;
    floor.type = "box";
    floor.measures = {40, 4, 10};
    physics.CreateKinematicLevel(3, {&floor});
    physics.CreateSphere(7, {0, 12, 0}, 3);
    physics.UpdateMovingElements(0.025f);
    physics.RenderDebugView();
    delete GamePhysic::instance();
    return GlTestContext::readPixels(SIZE, SIZE, ppmFile);
}

}  // namespace

TEST(DebugRenderer, DrawsInTheElementsColoursAndLeavesTheGlStateAsItFoundIt)
{
    clearWithView(0, SIZE);  // pixel units: the lower-left pixel centre is at (0.5, 0.5)
    glEnable(GL_LIGHTING);
    glLineWidth(3.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnableClientState(GL_NORMAL_ARRAY);
    DebugData data;
    data.lines.push_back({{10.5f, 200.5f, 0}, {240.5f, 200.5f, 0}, 0xff8000u});
    data.triangles.push_back({{{100, 20, 0}, {200, 20, 0}, {150, 120, 0}}, 0x0000ffu});
    data.points.push_back({{30.5f, 30.5f, 0}, 0x00ff00u});
    DebugRenderer().render(data);
    const Pixels pixels = GlTestContext::readPixels(SIZE, SIZE, "debug-renderer.ppm");

    EXPECT_EQ(rgbAt(pixels, 120, 200), Rgb({255, 128, 0})) << "the line";
    EXPECT_EQ(rgbAt(pixels, 150, 50), Rgb({0, 0, 255})) << "inside the triangle";
    EXPECT_EQ(rgbAt(pixels, 30, 30), Rgb({0, 255, 0})) << "the point";
    EXPECT_EQ(rgbAt(pixels, 5, 200), Rgb({0, 0, 0})) << "left of the line's start";
    EXPECT_EQ(rgbAt(pixels, 150, 150), Rgb({0, 0, 0})) << "above the triangle";

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat width = 0, colour[4];
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0], 0.1f, 1e-6f);
    EXPECT_NEAR(colour[3], 0.4f, 1e-6f);
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDisable(GL_LIGHTING);
    glLineWidth(1.0f);
    glDisableClientState(GL_NORMAL_ARRAY);
}

TEST(DebugRenderer, GamePhysicDrawsTheWorldOnlyWhenSwitchedOn)
{
    const Pixels on = debugViewOfALevel(true, "debug-view-world.ppm");
    // The floor's outline spans x -20..20 at y = +-2 and the ball's outline
    // circles (0, 12): something is drawn there and little above the ball.
    int lit = 0, litAboveBall = 0;
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            const Rgb p = rgbAt(on, x, y);
            const bool drawn = p[0] + p[1] + p[2] > 0;
            lit += drawn;
            litAboveBall += drawn && y > SIZE / 2 + SIZE * 16 / 60;
        }
    }
    EXPECT_GT(lit, 200);
    EXPECT_LT(litAboveBall, 40) << "nothing but axes above the ball";

    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    const Pixels off = debugViewOfALevel(false);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.25f);
    for (std::size_t i = 0; i < off.size(); i += 4)
        ASSERT_EQ(off[i] + off[i + 1] + off[i + 2], 0) << "nothing drawn when switched off";
}
