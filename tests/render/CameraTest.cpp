#include "render/Camera.h"

#include "ExpectNear.h"
#include "FakeCursor.h"
#include "game/InputManager.h"
#include "math/MathConstants.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <GL/freeglut_std.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr float DT = 0.025f;  // one frame at the game's 40 frames per second

// A camera in user mode at the reset pose, the mouse under the test's control and
// an empty physics world.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cursor = installFakeCursor();
        GamePhysic::instance()->Init(false);
        camera.reset();
        // The first delta is the cursor's jump to the window centre: ignored.
        cursor->x += 300;
        cursor->y += 200;
        camera.update(DT);
        expectPose(250, 25, 0);
    }

    void TearDown() override
    {
        delete GamePhysic::instance();
        delete InputManager::instance();
    }

    // Moves the cursor by (dx, dy) pixels and runs one camera frame.
    void drag(int dx, int dy)
    {
        cursor->x += dx;
        cursor->y += dy;
        camera.update(DT);
    }

    // The level: one box.
    static void buildLevel(const Vector3& center, const Vector3& measures)
    {
        PhysicsElement box;
        box.type = "box";
        box.position = center;
        box.measures = measures;
        GamePhysic::instance()->ClearLevel();
        GamePhysic::instance()->CreateKinematicLevel(1, {&box});
    }

    void expectPose(float distance, float pitch, float yaw) const
    {
        EXPECT_FLOAT_EQ(camera.distance, distance);
        EXPECT_FLOAT_EQ(camera.pitch, pitch);
        EXPECT_FLOAT_EQ(camera.yaw, yaw);
    }

    Camera camera;
    FakeCursor* cursor = nullptr;
};

}  // namespace

TEST(Camera, ResetsToTheOverviewAndItsViewLooksFromTheEyeAtTheCentre)
{
    Camera camera;
    camera.yaw = 100;
    camera.reset();  // the pose is checked by CameraTest's set-up
    expectNear(camera.eyePosition(), {0, 105.65f, 226.58f}, 0.01f);

    for (const Vector3 pose : {Vector3(250, 25, 0), Vector3(40, 80, 135), Vector3(400, 5, 300)}) {
        camera.distance = pose.x;
        camera.pitch = pose.y;
        camera.yaw = pose.z;
        const Matrix4 view = camera.viewMatrix();
        const float tolerance = 1e-4f * pose.x;
        expectNear(Matrix4::transformPoint(view, camera.eyePosition()), {0, 0, 0}, tolerance);
        expectNear(Matrix4::transformPoint(view, {0, 0, 0}), {0, 0, -pose.x}, tolerance);
        EXPECT_NEAR(camera.eyePosition().y, pose.x * std::sin(pose.y * DEGREES_TO_RADIANS), tolerance);
    }
}

TEST_F(CameraTest, MouseTurnsAndRightButtonZoomsWithinLimitsAndYawWrapsWithoutCarry)
{
    // Turning: 20 degrees, zooming: 30 units per pixel per second of frame time.
    const struct {
        float pitch, yaw;
        bool zoom;
        int dx, dy;
        float distance, expectedPitch, expectedYaw;
    } moves[] = {
        {25, 0, false, 0, 10, 250, 30, 0},        {25, 0, false, 0, 100000, 250, 85, 0},
        {84.9f, 0, false, 0, 1, 250, 85, 0},      {25, 0, false, 0, -100000, 250, 5, 0},
        {25, 359, false, 4, 0, 250, 25, 0},       {25, 1, false, -4, 0, 250, 25, 360},
        {25, 0, true, 500, 10, 257.5f, 25, 0},    {25, 0, true, 0, 100000, 400, 25, 0},
        {25, 0, true, 0, -100000, 15, 25, 0},
    };
    for (const auto& move : moves) {
        SCOPED_TRACE(testing::Message() << move.dx << " " << move.dy << (move.zoom ? " zooming" : ""));
        camera.reset();
        camera.pitch = move.pitch;
        camera.yaw = move.yaw;
        InputManager::instance()->mouseButton(GLUT_RIGHT_BUTTON, move.zoom ? GLUT_DOWN : GLUT_UP, 0, 0);
        drag(move.dx, move.dy);
        expectPose(move.distance, move.expectedPitch, move.expectedYaw);
    }
}

TEST_F(CameraTest, AutomaticOrbitCirclesAndSettlesAtTheResetPitch)
{
    camera.mode = Camera::MODE_AUTOMATIC;
    camera.pitch = 80.0f;
    camera.yaw = 359.9f;
    cursor->x += 1000;     // the mouse is not read
    camera.update(0.01f);  // step 0.25
    expectPose(250.25f, 79.75f, 0.0f);
    for (int i = 0; i < 2000; ++i)
        camera.update(DT);
    EXPECT_EQ(camera.distance, 400.0f);
    EXPECT_EQ(camera.pitch, 25.0f);
    camera.pitch = 24.9f;
    camera.update(DT);
    EXPECT_EQ(camera.pitch, 25.0f) << "no overshoot from below";
}

TEST_F(CameraTest, MovesIntoOrThroughTheLevelAreRefusedWhole)
{
    // A slab 0.9 above the eye at pitch 35: off the way there, but within the
    // eye's clearance.
    Camera target = camera;
    target.pitch = 35.0f;
    const Vector3 from = camera.eyePosition(), to = target.eyePosition();
    buildLevel(to + Vector3(0, 1.5f, 0), {4, 1.2f, 4});
    ASSERT_GT(GamePhysic::instance()->RaycastDistance(from, Vector3::normalized(to - from)), (to - from).length());
    drag(0, 20);  // 10 degrees up
    expectPose(250, 25, 0);
    drag(0, -20);  // the other way is free
    expectPose(250, 15, 0);

    // Turning by 20 degrees moves the eye along a chord of the orbit; a thin wall
    // halfway across it, clear of both eyes, blocks the way.
    camera.pitch = 25.0f;
    camera.yaw = 30.0f;
    target = camera;
    target.yaw = 50.0f;
    const Vector3 middle = (camera.eyePosition() + target.eyePosition()) * 0.5f;
    buildLevel(middle, {0.5f, 40, 200});
    ASSERT_GT(std::fabs(target.eyePosition().x - middle.x), 5.0f);
    drag(40, 0);
    expectPose(250, 25, 30);
    drag(-40, 0);
    expectPose(250, 25, 10);
}
