#include "render/Ball.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "math/Ray.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/RenderManager.h"
#include "render/SceneNode.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace {

// "Kd" of the current program.
float currentKdRed()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    float kd[4] = {};
    if (program)
        glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "Kd"), kd);
    return kd[0];
}

// Mean window position of the pixels that differ from the clear colour.
void coveredCentre(const Image& image, float& x, float& y)
{
    double sumX = 0, sumY = 0;
    int count = 0;
    for (int row = 0; row < HEIGHT; ++row) {
        for (int column = 0; column < WIDTH; ++column) {
            const std::uint8_t* p = pixel(image, column, row);
            if (p[0] != 51 || p[1] != 51 || p[2] != 51) {
                sumX += column;
                sumY += row;
                ++count;
            }
        }
    }
    x = count ? static_cast<float>(sumX / count) : -1.0f;
    y = count ? static_cast<float>(sumY / count) : -1.0f;
}

class BallTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = setUp();
        RenderManager::instance()->init();
        resetFrame();
    }

    void TearDown() override
    {
        GamePhysic::instance()->ClearLevel();
        ShaderManager::instance()->resetPass();
    }

    // The level: one flat box whose top is at y = 1.
    static void buildFloor()
    {
        PhysicsElement floor;
        floor.type = "box";
        floor.measures = {40, 2, 40};
        GamePhysic::instance()->CreateKinematicLevel(RenderManager::instance()->nextActorIdAndAdvance(), {&floor});
    }

    Materials materials;
};

}  // namespace

TEST_F(BallTest, BallFollowsItsBodyAndMeasuresTheGroundBelow)
{
    Ball ball;
    ball.create({0, 20, 0}, 3.0f);
    const Vector3 start = ball.position();
    EXPECT_EQ(start, Vector3(0, 20, 0));
    EXPECT_EQ(ball.heightAboveGround(), GamePhysic::NO_HIT_DISTANCE) << "no level below";
    buildFloor();
    EXPECT_NEAR(ball.heightAboveGround(), 19.0f, 1e-3f);

    // It falls under gravity and is drawn where the body is.
    GamePhysic* physics = GamePhysic::instance();
    physics->Simulate();
    physics->FetchResults();
    const Vector3 fallen = ball.position();
    EXPECT_LT(fallen.y, start.y - 0.1f);

    clear();
    applyCamera(fallen + Vector3(0, 6, 30), fallen + Vector3(2, 1, 0));
    ball.update(0.025f);
    ball.render(false);
    ShaderManager::instance()->resetPass();
    const Image image = capture();
    save(image, "ball");
    float expectedX = 0, expectedY = 0, x = 0, y = 0;
    project(fallen, expectedX, expectedY);
    coveredCentre(image, x, y);
    EXPECT_GT(coveredPixels(image), 300);
    EXPECT_NEAR(x, expectedX, 1.5f);
    EXPECT_NEAR(y, expectedY, 1.5f);
    // Lit and textured: the blue material's checker, not black.
    const std::uint8_t* centre = pixel(image, static_cast<int>(expectedX), static_cast<int>(expectedY));
    EXPECT_GT(centre[2], 100);
    EXPECT_GT(centre[2], centre[0]);
}

TEST_F(BallTest, MainPassAppliesItsMaterialAndDepthPassDoesNot)
{
    Ball ball;
    ball.create({0, 5, 0}, 3.0f);
    applyCamera({0, 5, 20}, {0, 5, 0});
    ball.update(0.0f);

    ShaderManager::instance()->setPass("parallaxShadowMapping");
    const int parallax = [] {
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        return program;
    }();
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    clear();
    ball.renderDepth(false);
    EXPECT_FLOAT_EQ(currentKdRed(), KD_SENTINEL[0]);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, parallax);
    EXPECT_GT(coveredPixels(capture()), 300);

    ball.render(false);
    EXPECT_FLOAT_EQ(currentKdRed(), 0.92f) << "material 2";
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, passProgram("shadowMapping"));
}

TEST_F(BallTest, InvisibleOrDestroyedBallDrawsNothing)
{
    Ball ball;
    ball.create({0, 5, 0}, 3.0f);
    applyCamera({0, 5, 20}, {0, 5, 0});
    ball.update(0.0f);
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

TEST_F(BallTest, WallBetweenEyeAndBallFadesAndShowsTheBall)
{
    const Vector3 eye{0, 8, 40}, ballPosition{0, 3, 0};
    Ball ball;
    ball.create(ballPosition, 3.0f);

    // Two walls across the line of sight, one tested for hiding the ball and one not.
    RenderManager* manager = RenderManager::instance();
    auto* level = new SceneNode();
    level->name = "levelNode";
    BoxObject* tested = manager->createBox({-5, 4, 15}, {}, 9, 8, 1, {2, 0, 0}, {}, materials.red, false, true, -1);
    BoxObject* untested = manager->createBox({5, 4, 15}, {}, 9, 8, 1, {2, 0, 0}, {}, materials.red, false, true, -1);
    untested->fadeable = false;
    level->addObject(tested);
    level->addObject(untested);
    manager->addNode(level);

    const auto frame = [&](const Vector3& ballAt) {
        ball.update(0.1f);
        FrameData::shared().eyeToBall = Ray(eye, ballAt - eye);
        FrameData::shared().eyeToBallDistance = (ballAt - eye).length();
        manager->update(0.1f);
        clear();
        applyCamera(eye, {0, 3, 0});
        manager->render(false);
        ball.render(false);
        manager->renderTransparent(false);
        ShaderManager::instance()->resetPass();
        glDisable(GL_BLEND);
        return capture();
    };

    // Seen through the tested wall: it fades to 0.25 within 0.3 s.
    const Vector3 leftBall{-5, 3, 0};
    Image image;
    for (int i = 0; i < 4; ++i)
        image = frame(leftBall);
    EXPECT_FLOAT_EQ(tested->alpha, 0.25f);
    EXPECT_FLOAT_EQ(untested->alpha, 1.0f);
    save(image, "ball-behind-faded-wall");

    // The ball (blue) shows through the faded wall (red) at its centre.
    applyCamera(eye, {0, 3, 0});
    float x = 0, y = 0;
    project(ballPosition, x, y);
    const std::uint8_t* seen = pixel(image, static_cast<int>(x), static_cast<int>(y));
    EXPECT_GT(seen[2], 60) << "blue of the ball through the wall";

    // The sight line moves to the untested wall: the first wall comes back, the
    // second never fades.
    const Vector3 rightBall{5, 3, 0};
    for (int i = 0; i < 4; ++i)
        image = frame(rightBall);
    EXPECT_FLOAT_EQ(tested->alpha, 1.0f);
    EXPECT_FLOAT_EQ(untested->alpha, 1.0f);
    save(image, "ball-behind-untested-wall");
}
