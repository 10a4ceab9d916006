#include "render/Ball.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/RenderManager.h"
#include "render/SceneNode.h"

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

TEST_F(BallTest, WallBetweenEyeAndBallFadesAndShowsTheBall)
{
    // Two walls across the line of sight, one tested for hiding the ball and one not.
    const Vector3 eye{0, 8, 40};
    ball.create({0, 3, 0}, 3.0f);
    RenderManager* manager = RenderManager::instance();
    auto* level = new SceneNode();
    BoxObject* tested = manager->createBox({-5, 4, 15}, {}, 9, 8, 1, {2, 0, 0}, {}, materials.red, false, true, -1);
    BoxObject* untested = manager->createBox({5, 4, 15}, {}, 9, 8, 1, {2, 0, 0}, {}, materials.red, false, true, -1);
    untested->fadeable = false;
    level->addObject(tested);
    level->addObject(untested);
    manager->addNode(level);

    // Four frames of 0.1 s with the sight line to ballAt: the tested wall fades to
    // 0.25 within 0.3 s when it is in the way and comes back when it is not.
    const auto frames = [&](const Vector3& ballAt, const char* name) {
        Image image;
        for (int i = 0; i < 4; ++i) {
            ball.update(0.1f);
            lookAtBall(eye, ballAt);
            manager->update(0.1f);
            clear();
            applyCamera(eye, {0, 3, 0});
            manager->render(false);
            ball.render(false);
            manager->renderTransparent(false);
            ShaderManager::instance()->resetPass();
            glDisable(GL_BLEND);
            image = capture(i == 3 ? name : nullptr);
        }
        return image;
    };
    const Image faded = frames({-5, 3, 0}, "ball-behind-faded-wall");
    EXPECT_FLOAT_EQ(tested->alpha, 0.25f);
    EXPECT_FLOAT_EQ(untested->alpha, 1.0f);
    EXPECT_GT(pixel(faded, WIDTH / 2, HEIGHT / 2)[2], 60) << "blue of the ball through the red wall";

    frames({5, 3, 0}, "ball-behind-untested-wall");
    EXPECT_FLOAT_EQ(tested->alpha, 1.0f);
    EXPECT_FLOAT_EQ(untested->alpha, 1.0f);
}
