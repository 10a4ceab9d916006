#include "render/Light.h"

#include "RenderTestSupport.h"

#include <GL/glew.h>
#include "Perspective.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace {

constexpr float TOLERANCE = 1e-4f;


void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance * std::max(1.0f, std::fabs(expected[i]))) << i;
}

class LightTest : public testing::Test {
protected:
    void SetUp() override
    {
        setUp();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
    }
    void TearDown() override { glDisable(GL_LIGHTING); }
};

}  // namespace

TEST_F(LightTest, InitSetsWhiteLightZeroAndLooksFromThePositionAtTheLevel)
{
    Light light;
    EXPECT_EQ(light.position()[3], 0.0f);
    const float position[4] = {276, 300, 36, 1};
    light.init(position);

    for (GLenum colour : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) {
        float value[4] = {};
        glGetLightfv(GL_LIGHT0, colour, value);
        for (float component : value)
            EXPECT_EQ(component, 1.0f);
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(light.position()[i], position[i]);

    expectMatrixNear(light.projection(), perspective(40, 1.45f, 180, 420), TOLERANCE);
    // The view takes the light to the origin and the target (0, 0, -50) onto -z.
    const Vector3 eye = Matrix4::transformPoint(light.view(), {276, 300, 36});
    EXPECT_NEAR(eye.length(), 0.0f, 1e-3f);
    const Vector3 target = Matrix4::transformPoint(light.view(), {0, 0, -50});
    EXPECT_NEAR(target.x, 0.0f, 1e-3f);
    EXPECT_NEAR(target.y, 0.0f, 1e-3f);
    EXPECT_NEAR(target.z, -(Vector3(276, 300, 86)).length(), 1e-2f);
}

TEST_F(LightTest, SetViewMovesTheLightWithoutTouchingGlState)
{
    Light light;
    const float start[4] = {276, 300, 36, 1};
    light.init(start);
    light.applyPosition();
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    float before[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, before);

    // Level 0 at t = 0.
    const float moved[4] = {0, 225, -210, 1};
    light.setView(moved, -15, -50, 0, 40, 1.4f, 180, 420);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION) << "the matrix mode is restored";
    glMatrixMode(GL_MODELVIEW);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_TRUE(Matrix4(modelview) == Matrix4());
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    float after[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, after);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(after[i], before[i]);

    EXPECT_EQ(light.position()[1], 225.0f);
    expectMatrixNear(light.projection(), perspective(40, 1.4f, 180, 420), TOLERANCE);
    EXPECT_NEAR(Matrix4::transformPoint(light.view(), {0, 225, -210}).length(), 0.0f, 1e-3f);
    const Vector3 target = Matrix4::transformPoint(light.view(), {-15, -50, 0});
    EXPECT_NEAR(target.x, 0.0f, 1e-3f);
    EXPECT_NEAR(target.y, 0.0f, 1e-3f);
    EXPECT_LT(target.z, 0.0f);
}

TEST_F(LightTest, PositionIsTakenInTheCurrentModelview)
{
    Light light;
    const float position[4] = {10, 20, 30, 1};
    light.init(position);
    glLoadMatrixf(Matrix4::translation({0, 0, -100}).data());
    light.applyPosition();
    glLoadIdentity();
    float eyeSpace[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, eyeSpace);
    EXPECT_FLOAT_EQ(eyeSpace[0], 10.0f);
    EXPECT_FLOAT_EQ(eyeSpace[1], 20.0f);
    EXPECT_FLOAT_EQ(eyeSpace[2], -70.0f);
    EXPECT_FLOAT_EQ(eyeSpace[3], 1.0f);
}
