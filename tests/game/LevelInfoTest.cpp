#include "game/LevelInfo.h"

#include "game/InputManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/Camera.h"

#include "FakeCursor.h"
#include "ExpectNear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>

namespace {

constexpr float TOLERANCE = 1e-4f;

// A level record with the mouse under the test's control and an empty physics world.
class LevelInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cursor = installFakeCursor();
        MouseDelta first;
        InputManager::instance()->getMouseDelta(first);  // the jump from (0, 0)
        GamePhysic::instance()->Init(false);
        camera.reset();
    }

    void TearDown() override
    {
        delete GamePhysic::instance();
        delete InputManager::instance();
    }

    void holdSpace(bool down)
    {
        if (down)
            InputManager::instance()->keyDown(' ', 0, 0);
        else
            InputManager::instance()->keyUp(' ', 0, 0);
    }

    void moveMouse(int dx, int dy)
    {
        cursor->x += dx;
        cursor->y += dy;
        level.updateTilt(0.025f, camera);
    }

    // Frames without mouse movement until the level's tilt has caught up.
    void settle()
    {
        for (int i = 0; i < 2 * LevelInfo::MAX_TILT / LevelInfo::MAX_TILT_STEP; ++i)
            level.updateTilt(0.025f, camera);
    }

    FakeCursor* cursor = nullptr;
    Camera camera;
    LevelInfo level;
};

}  // namespace

TEST_F(LevelInfoTest, MouseTiltsOnlyWhileSpaceIsHeldUpToFiveDegrees)
{
    moveMouse(40, 80);
    EXPECT_EQ(level.tiltX, 0.0f);
    EXPECT_EQ(level.tiltZ, 0.0f);
    MouseDelta cameraTakes;  // without space the camera consumes the movement
    InputManager::instance()->getMouseDelta(cameraTakes);

    holdSpace(true);
    moveMouse(40, 80);
    settle();
    EXPECT_FLOAT_EQ(level.tiltZ, 1.0f);  // 0.025 degrees per pixel
    EXPECT_FLOAT_EQ(level.tiltX, 2.0f);

    // A flick turns the level no faster than MAX_TILT_STEP a frame, and on to
    // the end after the space bar is let go.
    moveMouse(1000, -1000);
    EXPECT_FLOAT_EQ(level.tiltZ, 1.5f);
    EXPECT_FLOAT_EQ(level.tiltX, 1.5f);
    holdSpace(false);
    settle();
    EXPECT_FLOAT_EQ(level.tiltZ, 5.0f) << "stops at five degrees";
    EXPECT_FLOAT_EQ(level.tiltX, -5.0f);

    moveMouse(-40, 80);
    EXPECT_FLOAT_EQ(level.tiltZ, 5.0f);  // released: the tilt stays
}

TEST_F(LevelInfoTest, ControllerStickSetsTheTiltWithinFiveDegreesAndLevelsOnRelease)
{
    holdSpace(true);
    moveMouse(0, 80);  // a mouse tilt first
    holdSpace(false);
    PadState pad;
    pad.leftX = 1.0f;
    pad.leftY = -0.5f;
    InputManager::instance()->setPadState(pad);
    camera.yaw = 30.0f;  // the stick's tilt follows the camera, not turned with it
    settle();
    EXPECT_FLOAT_EQ(level.tiltZ, 5.0f);
    EXPECT_FLOAT_EQ(level.tiltX, -2.5f);

    InputManager::instance()->setPadState(PadState());
    settle();
    EXPECT_EQ(level.tiltZ, 0.0f);
    EXPECT_EQ(level.tiltX, 0.0f);
    moveMouse(40, 40);  // centred and no space: nothing tilts
    EXPECT_EQ(level.tiltZ, 0.0f);
}

TEST_F(LevelInfoTest, CameraTurnDropsTheMovementAndTurnsTheTilt)
{
    holdSpace(true);
    moveMouse(0, 80);  // tiltX 2
    settle();
    camera.yaw = 90.0f;
    moveMouse(400, 400);
    // a = (0 - 90) degrees: the tilt about x becomes a tilt about z.
    EXPECT_NEAR(level.tiltX, 0.0f, TOLERANCE);
    EXPECT_NEAR(level.tiltZ, 2.0f, TOLERANCE);
    EXPECT_EQ(level.lastYaw, 90.0f);
}

// Seen from a camera turned by 90 degrees, a tilt is the same turn relative to
// that camera: the world axes it turns about are turned too.
TEST_F(LevelInfoTest, TiltMatrixTurnsAboutTheCameraAxes)
{
    constexpr float DEGREES = 0.017453292f;
    level.tiltX = 3.0f;
    level.tiltZ = -2.0f;
    const Matrix4 tilt = Matrix4::rotationX(-3.0f * DEGREES) * Matrix4::rotationZ(-2.0f * DEGREES);
    expectNear(level.tiltMatrix(camera), tilt, TOLERANCE);
    camera.yaw = 90.0f;
    const Matrix4 turned = Matrix4::rotationY(90.0f * DEGREES) * tilt * Matrix4::rotationY(-90.0f * DEGREES);
    expectNear(level.tiltMatrix(camera), turned, TOLERANCE);
}

TEST_F(LevelInfoTest, TiltReachesThePhysicsAndResetLevelsIt)
{
    PhysicsElement floor;
    floor.type = "box";
    floor.measures = {100, 2, 100};
    level.actorId = 7;
    GamePhysic::instance()->CreateKinematicLevel(level.actorId, {&floor});

    holdSpace(true);
    moveMouse(0, 200);  // tiltX 5
    settle();
    GamePhysic::instance()->Simulate();
    GamePhysic::instance()->FetchResults();
    // Written as +5 degrees about x, read back transposed.
    expectNear(GamePhysic::instance()->GetActorPose(level.actorId), Matrix4::transposed(level.tiltMatrix(camera)), TOLERANCE);

    level.resetTilt();
    EXPECT_EQ(level.tiltX, 0.0f);
    GamePhysic::instance()->Simulate();
    GamePhysic::instance()->FetchResults();
    expectNear(GamePhysic::instance()->GetActorPose(level.actorId), Matrix4(), TOLERANCE);
}

TEST_F(LevelInfoTest, TargetIsReachedWithinFourUnits)
{
    level.targetPosition = {10, 0, 0};
    EXPECT_TRUE(level.isTargetReached({13.9f, 0, 0}));
    EXPECT_FALSE(level.isTargetReached({14.1f, 0, 0}));
    EXPECT_TRUE(level.isTargetReached({10, 3.9f, 0}));
}
