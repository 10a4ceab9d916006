#include "physics/GamePhysic.h"

#include "PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace physicstest;

namespace {

class GamePhysicLevelTest : public PhysicsTest {
protected:
    // Height of the ball's centre above the top face (at local y = top) of the
    // level body, measured along the face's normal.
    static float heightAboveLevel(float top)
    {
        const Matrix4 pose = physics().GetActorPose(LEVEL_ID);
        const Vector3 up{pose[4], pose[5], pose[6]};
        return (ballPosition() - positionOf(pose)).dot(up) - top;
    }

    static void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
    {
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }

    // A 40 x 2 x 40 floor whose top is at y = 1, and the ball resting on it.
    static void floorWithRestingBall(ElementTree& level, const Vector3& ballStart)
    {
        level.add(box({0, 0, 0}, {40, 2, 40}));
        level.build();
        physics().CreateSphere(BALL_ID, ballStart, 3);
        frames(30);
    }
};

}  // namespace

TEST_F(GamePhysicLevelTest, TiltWrittenComesBackTransposedAfterAStep)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {40, 2, 40}));
    level.build();

    physics().MoveLevelPosition({0, 0, 0});
    physics().MoveLevelOrientation(Matrix4());
    frame();
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());

    physics().MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE));
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4()) << "the move acts in the next step";
    physics().Simulate();
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4()) << "not before the step is fetched";
    physics().FetchResults();
    expectMatrixNear(physics().GetActorPose(LEVEL_ID), Matrix4::rotationX(-5 * DEGREE), 1e-6f);

    physics().MoveLevelPosition({1, 2, 3});
    frame();
    EXPECT_EQ(positionOf(physics().GetActorPose(LEVEL_ID)), Vector3(1, 2, 3));
}

TEST_F(GamePhysicLevelTest, MoveGivenAfterSimulateWaitsForTheNextStep)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {40, 2, 40}));
    level.build();
    physics().Simulate();
    physics().MoveLevelOrientation(Matrix4::rotationZ(3 * DEGREE));
    physics().FetchResults();
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());
    frame();
    expectMatrixNear(physics().GetActorPose(LEVEL_ID), Matrix4::rotationZ(-3 * DEGREE), 1e-6f);
}

TEST_F(GamePhysicLevelTest, TiltedLevelRollsARestingBallDownhill)
{
    ElementTree level;
    floorWithRestingBall(level, {0, 4.2f, 0});
    ASSERT_NEAR(heightAboveLevel(1), BALL_RADIUS, 0.05f);

    // Written +5 degrees about x: the level turns by -5 degrees, so +z rises.
    physics().MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE));
    float previousZ = ballPosition().z;
    for (int i = 0; i < 8; ++i) {
        frame();
        EXPECT_LT(ballPosition().z, previousZ) << "frame " << i;
        EXPECT_NEAR(heightAboveLevel(1), BALL_RADIUS, 0.06f) << "rolling, not sliding off or sinking";
        previousZ = ballPosition().z;
    }
    // A rolling ball accelerates at 5/7 g sin(5 degrees) along the slope.
    const float expected = 0.5f * 5.0f / 7.0f * 9.8f * std::sin(5 * DEGREE) * 2.0f * 2.0f;
    EXPECT_NEAR(-ballPosition().z, expected, expected * 0.25f);
}

TEST_F(GamePhysicLevelTest, BallStaysOnAFloorTiltedBackAndForth)
{
    ElementTree level;
    floorWithRestingBall(level, {0, 4.2f, 12});

    // The player rocks the floor by 5 degrees either way, once every 4 s;
    // the ball rolls to and fro on it.
    for (int i = 0; i < 48; ++i) {
        const float angle = 5 * DEGREE * std::sin(float(i) * 0.25f * 2 * 3.14159265f / 4);
        physics().MoveLevelOrientation(Matrix4::rotationX(angle));
        frame();
        ASSERT_GT(heightAboveLevel(1), BALL_RADIUS - 0.05f) << "sank into the floor at frame " << i;
        EXPECT_LT(heightAboveLevel(1), BALL_RADIUS + 0.1f) << "thrown off at frame " << i;
    }
}

TEST_F(GamePhysicLevelTest, SuddenTiltLiftsTheBallWithTheFloor)
{
    ElementTree level;
    floorWithRestingBall(level, {0, 4.2f, 15});

    // The floor under the ball rises by 15 sin(5 degrees) = 1.3 units in one
    // step, at 15 x 0.35 rad/s = 5.2 units/s: the ball must be carried along
    // at that speed, not kicked by the whole rise at the first sub-step.
    physics().MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE));
    frame();
    EXPECT_NEAR(heightAboveLevel(1), BALL_RADIUS, 0.05f);
    EXPECT_NEAR(physics().GetActorVelocity(BALL_ID).y, 5.2f, 0.3f);
}

TEST_F(GamePhysicLevelTest, ShapesSitAtTheirElementsLocalPoses)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {10, 2, 4}));                        // half extents 5, 1, 2
    level.add(box({30, 0, 0}, {10, 2, 4}, {0, 0, 90 * DEGREE}));  // width now along y
    level.add(sphere({-30, 5, 0}, 2));
    level.build();

    EXPECT_NEAR(physics().RaycastDistance({0, 10, 0}, {0, -1, 0}), 9.0f, 1e-3f);
    EXPECT_NEAR(physics().RaycastDistance({-10, 0, 0}, {1, 0, 0}), 5.0f, 1e-3f);
    EXPECT_NEAR(physics().RaycastDistance({0, 0, 10}, {0, 0, -1}), 8.0f, 1e-3f);
    EXPECT_NEAR(physics().RaycastDistance({30, 10, 0}, {0, -1, 0}), 5.0f, 1e-3f);
    EXPECT_NEAR(physics().RaycastDistance({-30, 10, 0}, {0, -1, 0}), 3.0f, 1e-3f);
}

TEST_F(GamePhysicLevelTest, OnlyLowerCaseTypesAreLevelGeometry)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {10, 2, 10}))->type = "Box";
    level.add(box({20, 0, 0}, {10, 2, 10}))->type = "skyBox";
    level.build();
    EXPECT_EQ(physics().RaycastDistance({0, 10, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_EQ(physics().RaycastDistance({20, 10, 0}, {0, -1, 0}), 1000.0f);

    // The level body exists all the same: it takes a tilt.
    physics().MoveLevelOrientation(Matrix4::rotationY(0.5f));
    frame();
    EXPECT_FALSE(isIdentity(physics().GetActorPose(LEVEL_ID)));
}

TEST_F(GamePhysicLevelTest, EmptyLevelStillMakesALevelBody)
{
    ElementTree level;
    level.build();
    physics().MoveLevelPosition({0, 1, 0});
    frame();
    EXPECT_EQ(positionOf(physics().GetActorPose(LEVEL_ID)), Vector3(0, 1, 0));
}

TEST_F(GamePhysicLevelTest, BadElementsAreLeftOutAndReported)
{
    GridMesh grid(2, 10);
    grid.indices[0] = 100;  // one triangle names a vertex that does not exist
    ElementTree level;
    level.add(sphere({0, 0, 0}, 0));
    level.add(box({0, 0, 0}, {NAN, 1, 1}));
    level.add(mesh({20, 0, 0}, nullptr));
    level.add(mesh({40, 0, 0}, &grid.geometry));
    level.add(box({60, 0, 0}, {10, 2, 10}));
    testing::internal::CaptureStdout();
    level.build();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("SDK says: sphere with radius 0"), std::string::npos) << printed;
    EXPECT_NE(printed.find("SDK says: mesh triangles with missing"), std::string::npos) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 4) << printed;

    EXPECT_NEAR(physics().RaycastDistance({60, 10, 0}, {0, -1, 0}), 9.0f, 1e-3f);
    EXPECT_NEAR(physics().RaycastDistance({42, 10, 3}, {0, -1, 0}), 10.0f, 1e-3f) << "the good triangles stay";
    physics().CreateSphere(BALL_ID, {60, 10, 0}, 3);
    frames(8);
    EXPECT_NEAR(ballPosition().y, 4.0f, 0.05f);
}

TEST_F(GamePhysicLevelTest, BallRestsOnATriangleMesh)
{
    GridMesh grid(10, 40);
    ElementTree level;
    level.add(mesh({0, 2, 0}, &grid.geometry));
    level.build();
    EXPECT_NEAR(physics().RaycastDistance({1, 10, 1}, {0, -1, 0}), 8.0f, 1e-3f);
    physics().CreateSphere(BALL_ID, {1, 10, 1}, 3);
    frames(20);
    EXPECT_NEAR(ballPosition().y, 5.0f, 0.05f);
    EXPECT_TRUE(physics().IsDynamicShapeInSphere({5, 2.5f, 5}, 1.0f));
}

namespace {

// Where the ball ends after rolling down the level's floor (top at local
// y = 0), slowly tilted to 5 degrees; the largest height of its centre above
// the floor on the way, sampled every frame, goes to highest.
Vector3 rollDown(float& highest)
{
    GamePhysic& physics = *GamePhysic::instance();
    physics.CreateSphere(BALL_ID, {0, 3.0f, 20}, 3);
    const auto step = [&physics] {
        physics.UpdateMovingElements(0.025f);
        physics.Simulate();
        physics.FetchResults();
    };
    for (int i = 0; i < 8; ++i)
        step();
    for (int i = 1; i <= 10; ++i) {
        physics.MoveLevelOrientation(Matrix4::rotationX(float(i) * 0.5f * DEGREE));
        step();
    }
    highest = 0.0f;
    for (int i = 0; i < 30; ++i) {
        step();
        const Matrix4 pose = physics.GetActorPose(LEVEL_ID);
        const Vector3 up{pose[4], pose[5], pose[6]};
        highest = std::max(highest, (positionOf(physics.GetActorPose(BALL_ID)) - positionOf(pose)).dot(up));
    }
    return positionOf(physics.GetActorPose(BALL_ID));
}

}  // namespace

TEST(GamePhysicMeshEdges, BallRollsAcrossMeshEdgesAsOnAFlatBox)
{
    float highestOnBox = 0.0f, highestOnMesh = 0.0f;
    GamePhysic::instance()->Init(false);
    ElementTree boxLevel;
    boxLevel.add(box({0, -1, 0}, {60, 2, 60}));
    boxLevel.build();
    const Vector3 onBox = rollDown(highestOnBox);
    delete GamePhysic::instance();

    // Half-unit cells give the ball many shared edges to cross; the mesh is
    // turned inside the level body to check that the edge data follows it.
    GamePhysic::instance()->Init(false);
    GridMesh grid(120, 60);
    ElementTree meshLevel;
    meshLevel.add(mesh({0, 0, 0}, &grid.geometry, {0, 30 * DEGREE, 0}));
    meshLevel.build();
    const Vector3 onMesh = rollDown(highestOnMesh);
    delete GamePhysic::instance();

    EXPECT_LT(onBox.z, 0.0f) << "the ball rolled across the floor";
    EXPECT_NEAR(onMesh.z, onBox.z, 0.05f) << "no edge braked the ball";
    EXPECT_NEAR(onMesh.x, onBox.x, 0.05f) << "no edge turned it aside";
    EXPECT_LT(highestOnMesh, BALL_RADIUS + 0.005f) << "no edge lifted it";
}

TEST_F(GamePhysicLevelTest, ClearLevelKeepsTheBallAndEmptiesTheMovingTable)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, connected(box({10, 3, 0}, {2, 2, 2}), CONNECTION_ROTATION, 0))->speedFactor = 10;
    level.build();
    physics().CreateSphere(BALL_ID, {0, 4.2f, 0}, 3);
    frames(4);
    ASSERT_FALSE(isIdentity(physics().GetMovingElementPose(0)));

    physics().ClearLevel();
    EXPECT_EQ(physics().GetMovingElementPose(0), Matrix4());
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());
    EXPECT_EQ(physics().RaycastDistance({0, 10, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_FALSE(isIdentity(physics().GetActorPose(BALL_ID))) << "the ball stays";
    physics().MoveLevelOrientation(Matrix4::rotationX(0.1f));  // no level: nothing happens
    frames(2);
    EXPECT_LT(ballPosition().y, 3.0f) << "the ball falls with the floor gone";

    ElementTree next;
    next.add(box({0, -20, 0}, {40, 2, 40}));
    next.build(LEVEL_ID + 1);
    frames(12);
    EXPECT_NEAR(ballPosition().y, -16.0f, 0.05f) << "the next level carries the ball";
}

TEST_F(GamePhysicLevelTest, ReleasingTheLevelBodyDetachesItsElements)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, connected(box({10, 3, 0}, {2, 2, 2}), CONNECTION_MOVING, 0))->distanceFactor = 2;
    level.build();
    physics().ReleaseActor(LEVEL_ID);
    physics().MoveLevelOrientation(Matrix4::rotationX(0.1f));
    frames(3);
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());
    EXPECT_FALSE(isIdentity(physics().GetMovingElementPose(0))) << "the element body is still there";
    physics().ClearLevel();
    EXPECT_EQ(physics().GetMovingElementPose(0), Matrix4());
}
