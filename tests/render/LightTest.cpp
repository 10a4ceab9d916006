#include "render/Light.h"

#include "Perspective.h"
#include "RenderTestSupport.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace {

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-4f * std::max(1.0f, std::fabs(expected[i]))) << i;
}

// The view takes the light's position to the origin and the target onto -z.
void expectLooksFromAt(const Matrix4& view, const Vector3& position, const Vector3& target)
{
    EXPECT_NEAR(Matrix4::transformPoint(view, position).length(), 0.0f, 1e-3f);
    const Vector3 seen = Matrix4::transformPoint(view, target);
    EXPECT_NEAR(seen.x, 0.0f, 1e-3f);
    EXPECT_NEAR(seen.y, 0.0f, 1e-3f);
    EXPECT_NEAR(seen.z, -(target - position).length(), 1e-2f);
}

}  // namespace

// The shadow pass looks from the level's light at its target through this view.
TEST(Light, ViewLooksFromThePositionAtTheTarget)
{
    startScenePass();
    Light light;
    const float position[4] = {276, 300, 36, 1};
    light.init(position);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0));
    expectMatrixNear(light.projection(), perspective(40, 1.45f, 180, 420));
    expectLooksFromAt(light.view(), {276, 300, 36}, {0, 0, -50});

    const float moved[4] = {0, 225, -210, 1};
    light.setView(moved, -15, -50, 0, 40, 1.4f, 180, 420);
    EXPECT_EQ(light.position()[1], 225.0f);
    expectMatrixNear(light.projection(), perspective(40, 1.4f, 180, 420));
    expectLooksFromAt(light.view(), {0, 225, -210}, {-15, -50, 0});
    glDisable(GL_LIGHTING);
}

TEST(Light, PositionIsTakenInTheCurrentModelview)
{
    startScenePass();
    Light light;
    const float position[4] = {10, 20, 30, 1};
    light.init(position);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(Matrix4::translation({0, 0, -100}).data());
    light.applyPosition();
    glLoadIdentity();
    float eyeSpace[4] = {};
    glGetLightfv(GL_LIGHT0, GL_POSITION, eyeSpace);
    EXPECT_TRUE(eyeSpace[0] == 10.0f && eyeSpace[1] == 20.0f && eyeSpace[2] == -70.0f && eyeSpace[3] == 1.0f);
    glDisable(GL_LIGHTING);
}
