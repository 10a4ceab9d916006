#include "physics/DebugRenderer.h"

#include "GlTestContext.h"
#include "physics/DebugData.h"
#include "physics/GamePhysic.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int SIZE = 256;

// Pixel units: the window's lower-left pixel centre is at (0.5, 0.5).
void pixelProjection()
{
    GlTestContext::ensure(SIZE, SIZE);
    glViewport(0, 0, SIZE, SIZE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, SIZE, 0, SIZE, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

struct Rgb {
    int r, g, b;
};

// Colour at pixel (x, y), y counted from the bottom as GL does.
Rgb pixelAt(const std::vector<std::uint8_t>& topDown, int x, int y)
{
    const std::uint8_t* p = &topDown[(std::size_t(SIZE - 1 - y) * SIZE + std::size_t(x)) * 4];
    return {p[0], p[1], p[2]};
}

void expectColour(const Rgb& actual, int r, int g, int b, const char* what)
{
    EXPECT_EQ(actual.r, r) << what;
    EXPECT_EQ(actual.g, g) << what;
    EXPECT_EQ(actual.b, b) << what;
}

DebugData sampleData()
{
    DebugData data;
    data.lines.push_back({{10.5f, 200.5f, 0}, {240.5f, 200.5f, 0}, 0xff8000u});
    data.triangles.push_back({{{100, 20, 0}, {200, 20, 0}, {150, 120, 0}}, 0x0000ffu});
    data.points.push_back({{30.5f, 30.5f, 0}, 0x00ff00u});
    return data;
}

}  // namespace

TEST(DebugRenderer, DrawsPointsLinesAndTrianglesInTheirColours)
{
    pixelProjection();
    DebugRenderer renderer;
    renderer.render(sampleData());
    const std::vector<std::uint8_t> pixels = GlTestContext::readPixels(SIZE, SIZE);
    GlTestContext::writePpm("debug-renderer.ppm", pixels, SIZE, SIZE);

    expectColour(pixelAt(pixels, 120, 200), 255, 128, 0, "line: red 255, green 128, blue 0");
    expectColour(pixelAt(pixels, 150, 50), 0, 0, 255, "inside the triangle");
    expectColour(pixelAt(pixels, 30, 30), 0, 255, 0, "the point");
    expectColour(pixelAt(pixels, 5, 200), 0, 0, 0, "left of the line's start");
    expectColour(pixelAt(pixels, 150, 150), 0, 0, 0, "above the triangle");
}

TEST(DebugRenderer, LeavesTheGlStateAsItFoundIt)
{
    pixelProjection();
    glEnable(GL_LIGHTING);
    glLineWidth(3.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnableClientState(GL_NORMAL_ARRAY);

    DebugRenderer renderer;
    renderer.render(sampleData());

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    GLfloat colour[4];
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

TEST(DebugRenderer, DrawsTheWorldThroughGamePhysicWhenSwitchedOn)
{
    pixelProjection();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-30, 30, -30, 30, -100, 100);  // looking down -z at the level from the front
    glMatrixMode(GL_MODELVIEW);

    GamePhysic& physics = *GamePhysic::instance();
    physics.SetDebugRenderer(std::make_unique<DebugRenderer>());
    physics.Init(true);
    PhysicsElement floor;
    floor.type = "box";
    floor.measures = {40, 4, 10};
    physics.CreateKinematicLevel(3, {&floor});
    physics.CreateSphere(7, {0, 12, 0}, 3);
    physics.UpdateMovingElements(0.025f);
    physics.RenderDebugView();
    const std::vector<std::uint8_t> pixels = GlTestContext::readPixels(SIZE, SIZE);
    GlTestContext::writePpm("debug-view-world.ppm", pixels, SIZE, SIZE);
    delete GamePhysic::instance();

    // The floor's outline spans x -20..20 at y = +-2 and the ball's outline
    // circles (0, 12): something is drawn there and nothing far off.
    int lit = 0, litAboveBall = 0;
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            const Rgb p = pixelAt(pixels, x, y);
            if (p.r + p.g + p.b > 0) {
                ++lit;
                if (y > SIZE / 2 + SIZE * 16 / 60)
                    ++litAboveBall;
            }
        }
    }
    EXPECT_GT(lit, 200);
    EXPECT_LT(litAboveBall, 40) << "nothing but axes above the ball";
}

TEST(DebugRenderer, GamePhysicLeavesGlAloneWhenSwitchedOff)
{
    pixelProjection();
    GamePhysic& physics = *GamePhysic::instance();
    physics.SetDebugRenderer(std::make_unique<DebugRenderer>());
    physics.Init(false);
    PhysicsElement floor;
    floor.type = "box";
    floor.measures = {40, 4, 10};
    physics.CreateKinematicLevel(3, {&floor});
    physics.UpdateMovingElements(0.025f);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    physics.RenderDebugView();
    delete GamePhysic::instance();

    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.25f);
    const std::vector<std::uint8_t> pixels = GlTestContext::readPixels(SIZE, SIZE);
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        ASSERT_EQ(pixels[i] + pixels[i + 1] + pixels[i + 2], 0) << "nothing drawn";
}
