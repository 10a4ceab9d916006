#include "render/Ball.h"

#include "RenderTestSupport.h"
#include "effects/ShaderManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/RenderManager.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

class BallTest : public testing::Test {
protected:
    void SetUp() override
    {
        startScenePass();
        RenderManager::instance()->init();
    }

    void TearDown() override
    {
        GamePhysic::instance()->ClearLevel();
        ShaderManager::instance()->resetPass();
    }

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

    GamePhysic::instance()->Simulate();
    GamePhysic::instance()->FetchResults();
    EXPECT_LT(ball.position().y, 19.9f) << "it falls under gravity";
}

TEST_F(BallTest, InvisibleOrDestroyedBallDrawsNothing)
{
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
