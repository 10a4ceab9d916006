#include "physics/GamePhysic.h"

#include "PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace physicstest;

namespace {

constexpr float PI = 3.14159265f;
constexpr float SUB_STEP = 1.0f / 64.0f;

class GamePhysicJointTest : public PhysicsTest {
protected:
    static Vector3 elementPosition(int movingIndex) { return positionOf(physics().GetMovingElementPose(movingIndex)); }

    // Turn of an element about y, from its pose's x axis.
    static float yawOf(int movingIndex)
    {
        const Matrix4 pose = physics().GetMovingElementPose(movingIndex);
        return std::atan2(-pose[2], pose[0]);
    }
};

// Highest point the ball reaches after being dropped from y = 30 onto a level
// floor that carries a fixed element with the given restitution as its top.
float bounceHeight(float restitution)
{
    GamePhysic& physics = *GamePhysic::instance();
    physics.Init(false);
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    PhysicsElement* pad = ElementTree::addChild(floor, connected(box({0, 1.5f, 0}, {20, 1, 20}), CONNECTION_FIXED, 0));
    pad->restitution = restitution;
    level.build();
    physics.CreateSphere(BALL_ID, {0, 30, 0}, 3);

    // Sample the flight finely: the frames themselves are a quarter second apart.
    float highest = 0.0f;
    bool bounced = false;
    for (int i = 0; i < 24; ++i) {
        physics.UpdateMovingElements(0.025f);
        physics.Simulate();
        physics.FetchResults();
        const float y = positionOf(physics.GetActorPose(BALL_ID)).y;
        bounced = bounced || physics.GetActorVelocity(BALL_ID).y > 0.0f;
        if (bounced)
            highest = std::max(highest, y);
    }
    delete GamePhysic::instance();
    return highest;
}

}  // namespace

TEST_F(GamePhysicJointTest, ChildSitsAtParentPositionPlusOffsetUnturnedByTheParent)
{
    ElementTree level;
    PhysicsElement* parent = level.add(box({10, 0, 0}, {4, 2, 4}, {0, 0, 90 * DEGREE}));
    ElementTree::addChild(parent, connected(sphere({0, 5, 0}, 1), CONNECTION_FIXED, 0));
    level.build();

    const Matrix4 pose = physics().GetMovingElementPose(0);
    EXPECT_EQ(positionOf(pose), Vector3(10, 5, 0));
    EXPECT_EQ(pose, Matrix4::translation({10, 5, 0}));
}

TEST_F(GamePhysicJointTest, TurnedChildKeepsAnUnturnedPose)
{
    // The element's own rotation belongs to its shape; its pose is the body's
    // place, which the renderer combines with the rotation itself.
    ElementTree level;
    PhysicsElement* parent = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(parent, connected(box({0, 5, 0}, {8, 1, 2}, {0, 0.7f, 0.3f}), CONNECTION_FIXED, 0));
    level.build();
    frames(4);
    const Matrix4 pose = physics().GetMovingElementPose(0);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(pose[i], Matrix4::translation({0, 5, 0})[i], 2e-3f) << "element " << i;
    EXPECT_NEAR(physics().RaycastDistance({0, 20, 0}, {0, -1, 0}), 20.0f - 5.0f - 0.5f * std::cos(0.3f), 0.05f);
}

TEST_F(GamePhysicJointTest, NestedChildrenAddTheirOffsetsAndTakeTheirIndexes)
{
    ElementTree level;
    PhysicsElement* parent = level.add(box({10, 0, 0}, {4, 2, 4}));
    PhysicsElement* child = ElementTree::addChild(parent, connected(box({0, 5, 0}, {1, 1, 1}), CONNECTION_FIXED, 0));
    ElementTree::addChild(child, box({0, 0, 3}, {1, 1, 1}));  // free body, no index
    ElementTree::addChild(child, connected(box({2, 0, 0}, {1, 1, 1}), CONNECTION_FIXED, 1));
    level.build();
    EXPECT_EQ(elementPosition(0), Vector3(10, 5, 0));
    EXPECT_EQ(elementPosition(1), Vector3(12, 5, 0));
}

TEST_F(GamePhysicJointTest, IndexWithoutAnElementGivesTheIdentity)
{
    EXPECT_EQ(physics().GetMovingElementPose(0), Matrix4()) << "empty table";
    ElementTree level;
    PhysicsElement* parent = level.add(box({0, 0, 0}, {4, 2, 4}));
    ElementTree::addChild(parent, connected(box({0, 5, 0}, {1, 1, 1}), CONNECTION_FIXED, 2));
    level.build();
    EXPECT_FALSE(isIdentity(physics().GetMovingElementPose(2)));
    EXPECT_EQ(physics().GetMovingElementPose(1), Matrix4()) << "a gap in the table";
    EXPECT_EQ(physics().GetMovingElementPose(3), Matrix4()) << "beyond the table";
    EXPECT_EQ(physics().GetMovingElementPose(-1), Matrix4());
}

TEST_F(GamePhysicJointTest, FixedChildFollowsTheTiltedLevel)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, connected(box({0, 3, 15}, {4, 4, 4}), CONNECTION_FIXED, 0));
    level.build();
    physics().MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE));
    frames(6);
    const Matrix4 levelPose = physics().GetActorPose(LEVEL_ID);
    const Vector3 expected = Matrix4::transformPoint(levelPose, {0, 3, 15});
    const Vector3 actual = elementPosition(0);
    EXPECT_NEAR(actual.x, expected.x, 0.02f);
    EXPECT_NEAR(actual.y, expected.y, 0.02f);
    EXPECT_NEAR(actual.z, expected.z, 0.02f);
}

TEST_F(GamePhysicJointTest, RotationJointSpinsAtATenthOfItsSpeedFactor)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    // Sunk into the floor: jointed bodies do not collide with each other.
    PhysicsElement* rotor = ElementTree::addChild(floor, connected(box({0, 1, 0}, {10, 2, 1}), CONNECTION_ROTATION, 0));
    rotor->speedFactor = 10;
    level.build();
    frames(2);

    for (int i = 0; i < 4; ++i) {
        const float before = yawOf(0);
        frame();
        const float turned = std::remainder(yawOf(0) - before, 2 * PI);
        EXPECT_NEAR(turned, 0.25f, 0.01f) << "1 rad/s, counter-clockwise seen from above";
    }
    const Matrix4 pose = physics().GetMovingElementPose(0);
    EXPECT_NEAR(pose[5], 1.0f, 1e-3f) << "turning about y only";
    EXPECT_NEAR(elementPosition(0).y, 1.0f, 0.01f) << "gravity is off for connected elements";
}

TEST_F(GamePhysicJointTest, MovingElementStaysWithinItsTravel)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    PhysicsElement* slider = ElementTree::addChild(floor, connected(box({5, 10, 0}, {2, 2, 2}), CONNECTION_MOVING, 0));
    slider->axis = {0, 2, 0};
    slider->distanceFactor = 3;
    slider->timeFactor = 0.5f;
    slider->speedFactor = 2;  // far more push than the travel needs
    level.build();

    float lowest = 10.0f, highest = 10.0f;
    for (int i = 0; i < 120; ++i) {
        frame(0.25f);
        const Vector3 p = elementPosition(0);
        lowest = std::min(lowest, p.y);
        highest = std::max(highest, p.y);
        EXPECT_NEAR(p.x, 5.0f, 0.01f);
        EXPECT_NEAR(p.z, 0.0f, 0.01f);
    }
    EXPECT_NEAR(highest, 16.0f, 0.06f) << "6 above the start";
    EXPECT_NEAR(lowest, 4.0f, 0.06f) << "6 below the start";
}

TEST_F(GamePhysicJointTest, MovingElementIsPushedWithSinOfTheClockAlongItsAxis)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    PhysicsElement* slider = ElementTree::addChild(floor, connected(box({0, 10, 0}, {2, 2, 2}), CONNECTION_MOVING, 0));
    slider->axis = {1, 0, 0};
    slider->distanceFactor = 100;
    slider->timeFactor = 2.0f;
    slider->speedFactor = 2;
    level.build();

    // At t = pi / (2 timeFactor) the push is sin(pi/2) x 2 x 10000 = 20000 along x.
    physics().UpdateMovingElements(PI / (2 * 2.0f));
    physics().Simulate();
    physics().FetchResults();
    const float mass = 10.0f * 8.0f;
    const float expected = 20000.0f / mass * SUB_STEP * SUB_STEP * 136.0f;  // 16 sub-steps from rest
    EXPECT_NEAR(elementPosition(0).x, expected, expected * 0.01f);
    EXPECT_NEAR(elementPosition(0).y, 10.0f, 1e-3f);
}

TEST_F(GamePhysicJointTest, MovingElementWithoutTimeFactorGetsNoPush)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    PhysicsElement* slider = ElementTree::addChild(floor, connected(box({0, 10, 0}, {2, 2, 2}), CONNECTION_MOVING, 0));
    slider->axis = {1, 0, 0};
    slider->distanceFactor = 5;
    slider->speedFactor = 50;
    level.build();
    frames(10, 0.5f);
    EXPECT_NEAR(elementPosition(0).x, 0.0f, 1e-3f);
}

TEST_F(GamePhysicJointTest, MovingElementWithoutAxisIsHeldInPlace)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    PhysicsElement* slider = ElementTree::addChild(floor, connected(box({0, 10, 0}, {2, 2, 2}), CONNECTION_MOVING, 0));
    slider->distanceFactor = 5;
    slider->timeFactor = 1;
    slider->speedFactor = 50;
    testing::internal::CaptureStdout();
    level.build();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("SDK says: "), std::string::npos);
    frames(10, 0.5f);
    EXPECT_NEAR(elementPosition(0).x, 0.0f, 1e-3f);
    EXPECT_NEAR(elementPosition(0).y, 10.0f, 1e-3f);
}

TEST_F(GamePhysicJointTest, FreeChildFallsOntoTheFloor)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, box({0, 10, 0}, {2, 2, 2}));
    level.build();
    EXPECT_NEAR(physics().RaycastDistance({0, 20, 0}, {0, -1, 0}), 9.0f, 1e-3f);
    frames(12);
    EXPECT_NEAR(physics().RaycastDistance({0, 20, 0}, {0, -1, 0}), 17.0f, 0.05f) << "resting on the floor";
}

TEST_F(GamePhysicJointTest, MeshElementsCanBeJointed)
{
    GridMesh blade(2, 8);
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, connected(mesh({0, 4, 0}, &blade.geometry), CONNECTION_ROTATION, 0))->speedFactor = 10;
    level.build();
    physics().CreateSphere(BALL_ID, {2, 12, 2}, 1);
    frames(3);
    const float before = yawOf(0);
    frame();
    EXPECT_NEAR(std::remainder(yawOf(0) - before, 2 * PI), 0.25f, 0.02f);
}

TEST(GamePhysicMaterials, ElementRestitutionIsCombinedByMaximum)
{
    const float bouncy = bounceHeight(0.9f);
    const float plain = bounceHeight(-1.0f);
    // From 30 down to the pad at 2 + 3: 25 units of fall; 0.9 returns about 0.81 of it.
    EXPECT_GT(bouncy, 5.0f + 0.6f * 25.0f);
    EXPECT_LT(plain, 5.0f + 0.1f * 25.0f);
}
