#include "render/Camera.h"

#include "game/InputManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "FakeCursor.h"

#include <GL/freeglut_std.h>
#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>

namespace {

constexpr float DT = 0.025f;  // one frame at the game's 40 frames per second
constexpr int LEVEL_ID = 1;

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A camera in user mode at the reset pose, with the mouse under the test's control
// and an empty physics world. The first mouse delta (the jump to the centre) is
// already consumed.
class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        delete InputManager::instance();
        auto fake = std::make_unique<FakeCursor>();
        cursor = fake.get();
        InputManager::instance()->setCursorDevice(std::move(fake));
        GamePhysic::instance()->Init(false);
        camera.reset();
        camera.update(DT);
        ASSERT_FALSE(camera.skipNextMouse);
    }

    void TearDown() override
    {
        delete GamePhysic::instance();
        delete InputManager::instance();
    }

    // Moves the cursor by (dx, dy) pixels and runs one camera frame.
    void drag(int dx, int dy, float dt = DT)
    {
        cursor->x += dx;
        cursor->y += dy;
        camera.update(dt);
    }

    static void setZoomButton(bool down)
    {
        InputManager::instance()->mouseButton(GLUT_RIGHT_BUTTON, down ? GLUT_DOWN : GLUT_UP, 0, 0);
    }

    // Boxes of the level body, centred at the given points.
    static void buildLevel(const std::list<std::pair<Vector3, Vector3>>& boxes)
    {
        std::list<PhysicsElement*> elements;
        for (const auto& [center, measures] : boxes) {
            auto* box = new PhysicsElement;
            box->type = "box";
            box->position = center;
            box->measures = measures;
            elements.push_back(box);
        }
        GamePhysic::instance()->CreateKinematicLevel(LEVEL_ID, elements);
        for (PhysicsElement* element : elements)
            delete element;
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

TEST(Camera, StartsInUserModeAndResetsToTheOverview)
{
    Camera camera;
    EXPECT_EQ(camera.mode, Camera::MODE_USER);
    EXPECT_EQ(camera.distance, 0.0f);
    EXPECT_EQ(camera.pitch, 0.0f);
    EXPECT_EQ(camera.yaw, 0.0f);
    EXPECT_TRUE(camera.skipNextMouse);
    EXPECT_EQ(camera.speed, 25.0f);

    camera.yaw = 100;
    camera.reset();
    EXPECT_EQ(camera.distance, 250.0f);
    EXPECT_EQ(camera.pitch, 25.0f);
    EXPECT_EQ(camera.yaw, 0.0f);
    expectNear(camera.eyePosition(), {0, 105.65f, 226.58f}, 0.01f);
}

TEST(Camera, ViewMatrixTakesTheEyeToTheOriginAndLooksAtTheCentre)
{
    Camera camera;
    for (const Vector3 pose : {Vector3(250, 25, 0), Vector3(40, 80, 135), Vector3(400, 5, 300)}) {
        camera.distance = pose.x;
        camera.pitch = pose.y;
        camera.yaw = pose.z;
        const Matrix4 view = camera.viewMatrix();
        const float tolerance = 1e-4f * pose.x;
        expectNear(Matrix4::transformPoint(view, camera.eyePosition()), {0, 0, 0}, tolerance);
        expectNear(Matrix4::transformPoint(view, {0, 0, 0}), {0, 0, -pose.x}, tolerance);
        EXPECT_NEAR(camera.eyePosition().length(), pose.x, tolerance);
        EXPECT_NEAR(camera.eyePosition().y, pose.x * std::sin(pose.y * Camera::DEGREES_TO_RADIANS), tolerance);
    }
}

TEST_F(CameraTest, FirstMouseDeltaIsIgnored)
{
    Camera fresh;
    fresh.reset();
    cursor->x += 300;
    cursor->y += 200;
    fresh.update(DT);
    EXPECT_FALSE(fresh.skipNextMouse);
    EXPECT_FLOAT_EQ(fresh.pitch, 25.0f);
    EXPECT_FLOAT_EQ(fresh.yaw, 0.0f);

    cursor->x += 40;
    fresh.update(DT);
    EXPECT_FLOAT_EQ(fresh.yaw, 40 * DT * Camera::TURN_RATE);
}

TEST_F(CameraTest, PitchStopsAtItsLimits)
{
    drag(0, 10);
    EXPECT_FLOAT_EQ(camera.pitch, 25 + 10 * DT * 20);
    drag(0, 100000);
    EXPECT_EQ(camera.pitch, 85.0f);
    camera.pitch = 84.9f;
    drag(0, 1);
    EXPECT_EQ(camera.pitch, 85.0f);
    drag(0, -100000);
    EXPECT_EQ(camera.pitch, 5.0f);
}

TEST_F(CameraTest, YawWrapsWithoutCarryingTheExcess)
{
    camera.yaw = 359.0f;
    drag(4, 0);  // 4 px x 0.025 s x 20 = 2 degrees: 361
    EXPECT_EQ(camera.yaw, 0.0f);
    camera.yaw = 1.0f;
    drag(-4, 0);  // -1
    EXPECT_EQ(camera.yaw, 360.0f);
}

TEST_F(CameraTest, RightButtonChangesTheDistanceWithinLimits)
{
    setZoomButton(true);
    drag(500, 10);
    expectPose(250 + 10 * DT * 30, 25, 0);  // sideways movement does not turn while zooming
    drag(0, 100000);
    EXPECT_EQ(camera.distance, 400.0f);
    drag(0, -100000);
    EXPECT_EQ(camera.distance, 15.0f);
    setZoomButton(false);
    drag(0, 10);
    EXPECT_EQ(camera.distance, 15.0f);
}

TEST_F(CameraTest, AutomaticOrbitCirclesAndSettlesAtTheResetPitch)
{
    camera.mode = Camera::MODE_AUTOMATIC;
    camera.pitch = 80.0f;
    camera.yaw = 359.9f;
    cursor->x += 1000;  // the mouse is not read
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

TEST_F(CameraTest, MoveThatPutsTheEyeNearTheLevelIsRefusedWhole)
{
    // A slab 0.9 above the eye position at pitch 35: off the way there, but
    // within the eye's clearance.
    Camera target = camera;
    target.pitch = 35.0f;
    const Vector3 from = camera.eyePosition();
    const Vector3 to = target.eyePosition();
    buildLevel({{to + Vector3(0, 1.5f, 0), {4, 1.2f, 4}}});
    const Vector3 way = to - from;
    ASSERT_GT(GamePhysic::instance()->RaycastDistance(from, Vector3::normalized(way)), way.length());

    drag(0, 20);  // 20 px x 0.025 s x 20 = 10 degrees: pitch 35
    expectPose(250, 25, 0);
    drag(0, -20);  // the other way is free
    expectPose(250, 15, 0);
}

TEST_F(CameraTest, MoveThroughAThinWallIsRefused)
{
    // Turning by 20 degrees moves the eye along a chord of the orbit; a thin wall
    // halfway across it, clear of both eyes, blocks the way.
    camera.yaw = 30.0f;
    Camera turned = camera;
    turned.yaw = 50.0f;
    const Vector3 from = camera.eyePosition();
    const Vector3 to = turned.eyePosition();
    const Vector3 middle = (from + to) * 0.5f;
    buildLevel({{middle, {0.5f, 40, 200}}});
    ASSERT_GT(std::fabs(to.x - middle.x), 5.0f);

    drag(40, 0);
    expectPose(250, 25, 30);
    drag(-40, 0);  // the other way is free
    expectPose(250, 25, 10);
}
