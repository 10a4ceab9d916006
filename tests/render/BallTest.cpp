#include "render/Ball.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/RenderManager.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

using namespace rendertest;

namespace {

// Mean window position of the pixels that differ from the clear colour.
void coveredCentre(const Image& image, float& x, float& y)
{
    double sumX = 0, sumY = 0;
    int count = 0;
    for (int i = 0; i < WIDTH * HEIGHT; ++i) {
        const bool covered = image[std::size_t(i) * 4] != 51 || image[std::size_t(i) * 4 + 2] != 51;
        sumX += covered * (i % WIDTH);
        sumY += covered * (i / WIDTH);
        count += covered;
    }
    x = count ? float(sumX / count) : -1.0f;
    y = count ? float(sumY / count) : -1.0f;
}

float currentKdRed()
{
    float kd[4];
    currentKd(kd);
    return kd[0];
}

class BallTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = startScenePass();
        RenderManager::instance()->init();
    }

    void TearDown() override
    {
        GamePhysic::instance()->ClearLevel();
        ShaderManager::instance()->resetPass();
    }

    // The ball at (0, 5, 0) seen from 20 in front.
    void showBall()
    {
        ball.create({0, 5, 0}, 3.0f);
        applyCamera({0, 5, 20}, {0, 5, 0});
        ball.update(0.0f);
    }

    Materials materials;
    Ball ball;
};

}  // namespace

TEST_F(BallTest, BallFollowsItsBodyAndMeasuresTheGroundBelow)
{
    ball.create({0, 20, 0}, 3.0f);
    EXPECT_EQ(ball.position(), Vector3(0, 20, 0));
    EXPECT_EQ(ball.heightAboveGround(), GamePhysic::NO_HIT_DISTANCE) << "no level below";
    PhysicsElement floor;  // top at y = 1
    floor.type = "box";
    floor.measures = {40, 2, 40};
    GamePhysic::instance()->CreateKinematicLevel(RenderManager::instance()->nextActorIdAndAdvance(), {&floor});
    EXPECT_NEAR(ball.heightAboveGround(), 19.0f, 1e-3f);

    // It falls under gravity and is drawn where the body is, lit and textured
    // with the blue material's checker.
    GamePhysic::instance()->Simulate();
    GamePhysic::instance()->FetchResults();
    const Vector3 fallen = ball.position();
    EXPECT_LT(fallen.y, 19.9f);
    clear();
    applyCamera(fallen + Vector3(0, 6, 30), fallen);
    ball.update(0.025f);
    ball.render(false);
    ShaderManager::instance()->resetPass();
    const Image image = capture("ball");
    float x = 0, y = 0;
    coveredCentre(image, x, y);
    EXPECT_GT(coveredPixels(image), 300);
    EXPECT_NEAR(x, WIDTH / 2, 1.5f);
    EXPECT_NEAR(y, HEIGHT / 2, 1.5f);
    const std::uint8_t* centre = pixel(image, WIDTH / 2, HEIGHT / 2);
    EXPECT_GT(centre[2], 100);
    EXPECT_GT(centre[2], centre[0]);
}

TEST_F(BallTest, MainPassAppliesItsMaterialAndPassTheDepthPassNeither)
{
    showBall();
    ShaderManager::instance()->setPass("parallaxShadowMapping");
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    clear();
    ball.renderDepth(false);
    EXPECT_FLOAT_EQ(currentKdRed(), KD_SENTINEL[0]);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, passProgram("parallaxShadowMapping"));
    EXPECT_GT(coveredPixels(capture()), 300);

    ball.render(false);
    EXPECT_FLOAT_EQ(currentKdRed(), 0.92f) << "material 2";
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, passProgram("shadowMapping"));
}

TEST_F(BallTest, InvisibleOrDestroyedBallDrawsNothing)
{
    showBall();
    ball.visible = false;
    clear();
    ball.render(false);
    ball.renderDepth(false);
    EXPECT_EQ(coveredPixels(capture()), 0);

    ball.visible = true;
    ball.destroy();
    EXPECT_EQ(ball.position(), Vector3()) << "the body is gone";
    ball.update(0.0f);
    ball.render(false);
    EXPECT_EQ(coveredPixels(capture()), 0);
    ball.destroy();  // twice is harmless; so is the destructor afterwards
}
