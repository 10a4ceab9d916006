#include "physics/GamePhysic.h"

#include "PhysicsTestSupport.h"
#include "physics/DebugData.h"
#include "physics/DebugView.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace physicstest;

namespace {

constexpr float GRAVITY = 9.8f;
constexpr float SUB_STEP = 1.0f / 64.0f;

// Drop of a body falling from rest after n sub-steps of semi-implicit Euler:
// g dt^2 (1 + 2 + ... + n).
float fallAfterSubSteps(int n)
{
    return GRAVITY * SUB_STEP * SUB_STEP * float(n * (n + 1) / 2);
}

class GamePhysicTest : public PhysicsTest {};

}  // namespace

TEST_F(GamePhysicTest, BallDroppedOnALevelBoxComesToRestOnItsTop)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {40, 2, 40}));  // top face at y = 1
    level.build();
    physics().CreateSphere(BALL_ID, {0, 12, 0}, 3);
    frames(40);

    const Vector3 p = ballPosition();
    EXPECT_NEAR(p.y, 1.0f + BALL_RADIUS, 0.05f);
    EXPECT_NEAR(p.x, 0.0f, 0.02f);
    EXPECT_NEAR(p.z, 0.0f, 0.02f);
    EXPECT_NEAR(physics().GetActorVelocity(BALL_ID).length(), 0.0f, 0.01f);
}

TEST_F(GamePhysicTest, EveryStepAdvancesAQuarterSecondWhateverTheFrameTime)
{
    physics().CreateSphere(BALL_ID, {0, 100, 0}, 3);
    frame(0.001f);
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(16), 1e-4f);
    frame(2.0f);
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(32), 1e-4f);
    EXPECT_NEAR(physics().GetActorVelocity(BALL_ID).y, -GRAVITY * 0.5f, 1e-4f);
}

TEST_F(GamePhysicTest, FetchResultsWithoutAStepReturnsFalseAtOnce)
{
    EXPECT_FALSE(physics().FetchResults());
    physics().Simulate();
    EXPECT_TRUE(physics().FetchResults());
    EXPECT_FALSE(physics().FetchResults()) << "the second fetch has nothing to wait for";
}

TEST_F(GamePhysicTest, QueriesBetweenSimulateAndFetchSeeTheLastCompletedStep)
{
    physics().CreateSphere(BALL_ID, {0, 100, 0}, 3);
    frame();
    const Matrix4 before = physics().GetActorPose(BALL_ID);
    physics().Simulate();
    EXPECT_EQ(physics().GetActorPose(BALL_ID), before);
    EXPECT_TRUE(physics().FetchResults());
    EXPECT_LT(positionOf(physics().GetActorPose(BALL_ID)).y, before[13]);
}

TEST_F(GamePhysicTest, SecondSimulateWhileAStepIsOutstandingIsRefused)
{
    physics().CreateSphere(BALL_ID, {0, 100, 0}, 3);
    testing::internal::CaptureStdout();
    physics().Simulate();
    physics().Simulate();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("SDK says: "), std::string::npos);
    EXPECT_TRUE(physics().FetchResults());
    EXPECT_FALSE(physics().FetchResults());
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(16), 1e-4f) << "one step, not two";
}

TEST_F(GamePhysicTest, ActorIdZeroIsNeverFound)
{
    physics().CreateSphere(0, {5, 6, 7}, 3);
    EXPECT_EQ(physics().GetActorPose(0), Matrix4());
    EXPECT_EQ(physics().GetActorVelocity(0), Vector3());
    physics().ReleaseActor(0);
}

TEST_F(GamePhysicTest, UnknownIdGivesIdentityZeroVelocityAndReleasesNothing)
{
    physics().CreateSphere(BALL_ID, {0, 100, 0}, 3);
    frame();
    EXPECT_EQ(physics().GetActorPose(99), Matrix4());
    EXPECT_EQ(physics().GetActorVelocity(99), Vector3());
    physics().ReleaseActor(99);
    EXPECT_LT(ballPosition().y, 100.0f);
    EXPECT_FALSE(isIdentity(physics().GetActorPose(BALL_ID)));
}

TEST_F(GamePhysicTest, LookupsTakeTheFirstCreatedAndReleaseTakesAll)
{
    physics().CreateSphere(BALL_ID, {10, 50, 0}, 3);
    physics().CreateSphere(BALL_ID, {-10, 50, 0}, 3);
    physics().CreateSphere(BALL_ID + 1, {0, 50, 30}, 3);
    EXPECT_EQ(positionOf(physics().GetActorPose(BALL_ID)).x, 10.0f);

    physics().ReleaseActor(BALL_ID);
    EXPECT_EQ(physics().GetActorPose(BALL_ID), Matrix4()) << "both bodies with the id are gone";
    EXPECT_EQ(positionOf(physics().GetActorPose(BALL_ID + 1)).z, 30.0f);
    frame();  // the world steps without the released bodies
}

TEST_F(GamePhysicTest, PoseCarriesTranslationInElements12To14)
{
    physics().CreateSphere(BALL_ID, {1.5f, -2.0f, 3.25f}, 2);
    const Matrix4 pose = physics().GetActorPose(BALL_ID);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2.0f, 3.25f, 1};
    EXPECT_EQ(pose, Matrix4(expected));
}

TEST_F(GamePhysicTest, BallRadiusIsTheWholeNumberGiven)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {40, 2, 40}));
    level.build();
    physics().CreateSphere(BALL_ID, {0, 5, 0}, int(1.9f));  // the caller truncates
    frames(20);
    EXPECT_NEAR(ballPosition().y, 2.0f, 0.05f);
}

TEST_F(GamePhysicTest, BallWithoutRadiusIsRefused)
{
    testing::internal::CaptureStdout();
    physics().CreateSphere(BALL_ID, {0, 5, 0}, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("SDK says: "), std::string::npos);
    EXPECT_EQ(physics().GetActorPose(BALL_ID), Matrix4());
}

TEST_F(GamePhysicTest, TheThousandthActorIsTheLast)
{
    // The ground plane is the first actor.
    for (int id = 1; id <= 998; ++id)
        physics().CreateSphere(id, {float(id % 40) * 10.0f, float(id / 40) * 10.0f, 0}, 1);
    physics().CreateSphere(5000, {0, 0, 100}, 1);
    EXPECT_FALSE(isIdentity(physics().GetActorPose(5000))) << "created with 999 actors existing";
    physics().CreateSphere(5001, {0, 0, 200}, 1);
    EXPECT_EQ(physics().GetActorPose(5001), Matrix4()) << "refused with 1000 actors existing";
    physics().ReleaseActor(1);
    physics().CreateSphere(5001, {0, 0, 200}, 1);
    EXPECT_FALSE(isIdentity(physics().GetActorPose(5001)));
}

TEST_F(GamePhysicTest, RaysHitOnlyLevelShapes)
{
    EXPECT_EQ(physics().RaycastDistance({0, 0, 0}, {0, -1, 0}), 1000.0f) << "empty space";
    EXPECT_EQ(physics().NoHitDistance(), 1000.0f);

    ElementTree level;
    level.add(box({100, 0, 0}, {10, 2, 10}));
    level.build();
    EXPECT_EQ(physics().RaycastDistance({0, 0, 0}, {0, -1, 0}), 1000.0f) << "the ground plane is not hit";
    EXPECT_NEAR(physics().RaycastDistance({100, 20, 0}, {0, -1, 0}), 19.0f, 1e-3f);

    physics().CreateSphere(BALL_ID, {100, 10, 0}, 3);
    EXPECT_NEAR(physics().RaycastDistance({100, 20, 0}, {0, -1, 0}), 19.0f, 1e-3f) << "the ball is not hit";
    EXPECT_NEAR(physics().RaycastDistance({80, 0, 0}, {1, 0, 0}), 15.0f, 1e-3f);
    EXPECT_EQ(physics().RaycastDistance({100, 20, 0}, {0, 1, 0}), 1000.0f);
    EXPECT_EQ(physics().RaycastDistance({100, 20, 0}, {0, 0, 0}), 1000.0f) << "no direction";
}

TEST_F(GamePhysicTest, SphereOverlapSeesBodiesButNeverTheGround)
{
    ElementTree level;
    level.add(box({0, 0, 0}, {10, 2, 10}));
    level.build();
    physics().CreateSphere(BALL_ID, {50, 20, 0}, 3);

    EXPECT_TRUE(physics().IsDynamicShapeInSphere({0, 1.5f, 0}, 1.0f)) << "the kinematic level counts";
    EXPECT_TRUE(physics().IsDynamicShapeInSphere({0, 0, 0}, 1.0f)) << "inside a level box";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, 2.5f, 0}, 1.0f)) << "just above the box";
    EXPECT_TRUE(physics().IsDynamicShapeInSphere({50, 23.5f, 0}, 1.0f)) << "the ball counts";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, -250, 0}, 1.0f)) << "the static ground never counts";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, 0, 0}, 0.0f));
}

TEST_F(GamePhysicTest, BallFallingOutOfTheLevelLandsOnTheGroundPlane)
{
    physics().CreateSphere(BALL_ID, {0, -240, 0}, 3);
    frames(20);
    EXPECT_NEAR(ballPosition().y, -247.0f, 0.05f);
}

TEST(GamePhysicLifecycle, OperationsBeforeInitDoNothing)
{
    GamePhysic& physics = *GamePhysic::instance();
    physics.CreateSphere(BALL_ID, {0, 0, 0}, 3);
    EXPECT_EQ(physics.GetActorPose(BALL_ID), Matrix4());
    physics.Simulate();
    EXPECT_FALSE(physics.FetchResults());
    EXPECT_EQ(physics.RaycastDistance({0, 0, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_FALSE(physics.IsDynamicShapeInSphere({0, 0, 0}, 5.0f));
    physics.MoveLevelOrientation(Matrix4::rotationX(0.1f));
    physics.UpdateMovingElements(0.1f);
    physics.ClearLevel();

    ElementTree level;
    level.add(box({0, 0, 0}, {1, 1, 1}));
    testing::internal::CaptureStdout();
    level.build();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GamePhysic::CreateKinematicLevel Unable to create kinematic level\n");
    delete GamePhysic::instance();
}

namespace {

// Counts the frames the debug view would draw and keeps the last data.
class RecordingDebugView : public DebugView {
public:
    explicit RecordingDebugView(int& calls_, DebugData& last_) : calls(calls_), last(last_) {}
    void render(const DebugData& data) override
    {
        ++calls;
        last = data;
    }

private:
    int& calls;
    DebugData& last;
};

}  // namespace

TEST(GamePhysicDebugView, DrawsNothingWhenSwitchedOff)
{
    GamePhysic& physics = *GamePhysic::instance();
    int calls = 0;
    DebugData last;
    physics.SetDebugRenderer(std::make_unique<RecordingDebugView>(calls, last));
    physics.Init(false);
    ElementTree level;
    level.add(box({0, 0, 0}, {10, 2, 10}));
    level.build();
    physics.UpdateMovingElements(0.025f);
    physics.RenderDebugView();
    EXPECT_EQ(calls, 0);
    delete GamePhysic::instance();
}

TEST(GamePhysicDebugView, HandsTheCollectedShapesToTheRenderer)
{
    GamePhysic& physics = *GamePhysic::instance();
    int calls = 0;
    DebugData last;
    physics.SetDebugRenderer(std::make_unique<RecordingDebugView>(calls, last));
    physics.Init(true);
    physics.RenderDebugView();
    EXPECT_EQ(calls, 0) << "nothing collected before the first update";

    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {10, 2, 10}));
    ElementTree::addChild(floor, connected(box({0, 3, 0}, {1, 1, 1}), CONNECTION_ROTATION, 0));
    level.build();
    physics.CreateSphere(BALL_ID, {0, 20, 0}, 3);
    physics.UpdateMovingElements(0.025f);
    physics.RenderDebugView();
    ASSERT_EQ(calls, 1);
    EXPECT_GE(last.lines.size(), 12u * 2) << "at least the edges of two boxes";
    bool coloured = false;
    for (const DebugData::Line& line : last.lines)
        coloured = coloured || line.colour != 0;
    EXPECT_TRUE(coloured);

    physics.UpdateMovingElements(0.025f);
    physics.RenderDebugView();
    EXPECT_EQ(calls, 2);
    EXPECT_LT(last.lines.size(), 100000u) << "replaced each frame, not accumulated";
    delete GamePhysic::instance();
}

namespace {

// The ball's path over 60 frames through a level with a mesh, a rotor and a
// slider while the level is tilted back and forth, in a fresh world.
std::vector<Vector3> ballPath()
{
    GamePhysic& physics = *GamePhysic::instance();
    physics.Init(false);
    GridMesh grid(20, 40);
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {60, 2, 60}));
    level.add(mesh({0, 1.5f, -20}, &grid.geometry, {0.05f, 0, 0}));
    PhysicsElement* rotor = ElementTree::addChild(floor, connected(box({10, 2, 0}, {12, 2, 1}), CONNECTION_ROTATION, 0));
    rotor->speedFactor = 15;
    PhysicsElement* slider = ElementTree::addChild(floor, connected(box({-10, 2.5f, 5}, {4, 2, 4}), CONNECTION_MOVING, 1));
    slider->axis = {0, 0, 1};
    slider->distanceFactor = 8;
    slider->timeFactor = 1.5f;
    slider->speedFactor = 30;
    level.build();
    physics.CreateSphere(BALL_ID, {3, 10, 3}, 3);

    std::vector<Vector3> path;
    for (int i = 0; i < 60; ++i) {
        physics.FetchResults();
        physics.MoveLevelPosition({0, 0, 0});
        physics.MoveLevelOrientation(Matrix4::rotationX(std::sin(float(i) * 0.3f) * 5 * DEGREE) *
                                     Matrix4::rotationZ(std::cos(float(i) * 0.2f) * 4 * DEGREE));
        path.push_back(positionOf(physics.GetActorPose(BALL_ID)));
        physics.UpdateMovingElements(0.025f + 0.001f * float(i % 3));
        physics.Simulate();
    }
    delete GamePhysic::instance();
    return path;
}

}  // namespace

TEST(GamePhysicDeterminism, SameLevelAndInputsGiveTheSameBallPath)
{
    const std::vector<Vector3> first = ballPath();
    const std::vector<Vector3> second = ballPath();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i], second[i]) << "frame " << i;
    EXPECT_GT((first.back() - first.front()).length(), 1.0f) << "the ball did move";
}
