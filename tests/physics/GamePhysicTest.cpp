#include "physics/GamePhysic.h"

#include "ExpectNear.h"
#include "PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace physicstest;

namespace {

constexpr float GRAVITY = 9.8f;
constexpr float SUB_STEP = 1.0f / 64.0f;
constexpr float PI = 3.14159265f;

GamePhysic& physics()
{
    return *GamePhysic::instance();
}

// Drop of a body falling from rest after n sub-steps of semi-implicit Euler:
// g dt^2 (1 + 2 + ... + n).
float fallAfterSubSteps(int n)
{
    return GRAVITY * SUB_STEP * SUB_STEP * float(n * (n + 1) / 2);
}

bool printsSdkLine(void (*action)())
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout().find("SDK says: ") != std::string::npos;
}

Vector3 elementPosition(int movingIndex)
{
    return positionOf(physics().GetMovingElementPose(movingIndex));
}

// Turn of an element about y, from its pose's x axis.
float yawOf(int movingIndex)
{
    const Matrix4 pose = physics().GetMovingElementPose(movingIndex);
    return std::atan2(-pose[2], pose[0]);
}

// A child of parent sliding along axis, by default a 2 x 2 x 2 box at offset.
PhysicsElement* addSlider(PhysicsElement* parent, const Vector3& offset, const Vector3& axis, float distanceFactor,
                          float timeFactor, float speedFactor, int movingIndex = 0, PhysicsElement* body = nullptr)
{
    PhysicsElement* slider = ElementTree::addChild(
        parent, connected(body ? body : box(offset, {2, 2, 2}), CONNECTION_MOVING, movingIndex));
    slider->axis = axis;
    slider->distanceFactor = distanceFactor;
    slider->timeFactor = timeFactor;
    slider->speedFactor = speedFactor;
    return slider;
}

// Highest point of the ball after its first bounce, dropped from y = 30 onto a
// fixed pad with the given restitution on a level floor.
float bounceHeight(float restitution)
{
    const World world;
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, 0, 0}, {40, 2, 40}));
    ElementTree::addChild(floor, connected(box({0, 1.5f, 0}, {20, 1, 20}), CONNECTION_FIXED, 0))->restitution =
        restitution;
    level.build();
    physics().CreateSphere(BALL_ID, {0, 30, 0}, 3);
    float highest = 0.0f;
    bool bounced = false;
    for (int i = 0; i < 24; ++i) {
        frames();
        bounced = bounced || physics().GetActorVelocity(BALL_ID).y > 0.0f;
        if (bounced)
            highest = std::max(highest, ballPosition().y);
    }
    return highest;
}

class GamePhysicTest : public testing::Test {
protected:
    PhysicsElement* addFloor() { return level.add(box({0, 0, 0}, {40, 2, 40})); }

    const World world;
    ElementTree level;
};

}  // namespace

TEST_F(GamePhysicTest, EachStepStartedAdvancesAQuarterSecondWhateverTheFrameTime)
{
    EXPECT_FALSE(physics().FetchResults()) << "nothing to wait for";
    physics().CreateSphere(BALL_ID, {0, 100, 0}, 3);
    const Matrix4 before = physics().GetActorPose(BALL_ID);
    EXPECT_TRUE(printsSdkLine([] {
        physics().Simulate();
        physics().Simulate();
    })) << "a second start while a step is outstanding is refused";
    EXPECT_EQ(physics().GetActorPose(BALL_ID), before) << "queries see the last completed step";
    EXPECT_TRUE(physics().FetchResults());
    EXPECT_FALSE(physics().FetchResults());
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(16), 1e-4f) << "one step, not two";
    frames(1, 0.001f);
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(32), 1e-4f);
    frames(1, 2.0f);
    EXPECT_NEAR(100.0f - ballPosition().y, fallAfterSubSteps(48), 1e-4f);
    EXPECT_NEAR(physics().GetActorVelocity(BALL_ID).y, -GRAVITY * 0.75f, 1e-4f);
}

TEST_F(GamePhysicTest, LookupsTakeTheFirstBodyOfAnIdAndNeverFindIdZero)
{
    physics().CreateSphere(0, {5, 6, 7}, 3);
    physics().CreateSphere(BALL_ID, {10, 50, 0}, 3);
    physics().CreateSphere(BALL_ID, {-10, 50, 0}, 3);
    physics().CreateSphere(BALL_ID + 1, {0, 50, 30}, 3);
    EXPECT_TRUE(printsSdkLine([] { physics().CreateSphere(BALL_ID + 2, {0, 5, 0}, 0); })) << "no radius";
    for (const int id : {0, 99, BALL_ID + 2}) {
        EXPECT_EQ(physics().GetActorPose(id), Matrix4()) << id;
        EXPECT_EQ(physics().GetActorVelocity(id), Vector3()) << id;
    }
    EXPECT_EQ(ballPosition().x, 10.0f);

    for (const int id : {0, 99, BALL_ID})
        physics().ReleaseActor(id);
    EXPECT_EQ(physics().GetActorPose(BALL_ID), Matrix4()) << "both bodies with the id are gone";
    EXPECT_EQ(positionOf(physics().GetActorPose(BALL_ID + 1)).z, 30.0f) << "and no other";
    frames();
}

TEST_F(GamePhysicTest, TheThousandthActorIsTheLast)
{
    // The ground plane is the first actor.
    for (int id = 1; id <= 998; ++id)
        physics().CreateSphere(id, {float(id % 40) * 10.0f, float(id / 40) * 10.0f, 0}, 1);
    physics().CreateSphere(5000, {0, 0, 100}, 1);
    EXPECT_FALSE(physics().GetActorPose(5000) == Matrix4()) << "created with 999 actors existing";
    physics().CreateSphere(5001, {0, 0, 200}, 1);
    EXPECT_EQ(physics().GetActorPose(5001), Matrix4()) << "refused with 1000 actors existing";
    physics().ReleaseActor(1);
    physics().CreateSphere(5001, {0, 0, 200}, 1);
    EXPECT_FALSE(physics().GetActorPose(5001) == Matrix4());
}

TEST_F(GamePhysicTest, RaysHitOnlyLowerCaseLevelShapesWhereTheirElementsPutThem)
{
    EXPECT_EQ(physics().RaycastDistance({0, 0, 0}, {0, -1, 0}), 1000.0f) << "empty space";
    level.add(box({100, 0, 0}, {10, 2, 10}));
    level.add(box({30, 0, 0}, {10, 2, 4}, {0, 0, 90 * DEGREE}));  // width now along y
    level.add(sphere({-30, 5, 0}, 2));
    level.add(box({0, 0, 50}, {10, 2, 10}))->type = "Box";
    level.add(box({20, 0, 50}, {10, 2, 10}))->type = "skyBox";
    level.build();
    physics().CreateSphere(BALL_ID, {100, 10, 0}, 3);
    const struct {
        Vector3 origin, direction;
        float distance;
        const char* what;
    } rays[] = {
        {{0, 0, 0}, {0, -1, 0}, 1000, "the ground plane is not hit"},
        {{100, 20, 0}, {0, -1, 0}, 19, "the ball is not hit"},
        {{80, 0, 0}, {1, 0, 0}, 15, "the box's side"},
        {{100, 20, 0}, {0, 1, 0}, 1000, "away from the box"},
        {{100, 20, 0}, {0, 0, 0}, 1000, "no direction"},
        {{30, 10, 0}, {0, -1, 0}, 5, "the turned box's end"},
        {{30, 0, 10}, {0, 0, -1}, 8, "the turned box's side"},
        {{-30, 10, 0}, {0, -1, 0}, 3, "the sphere"},
        {{0, 10, 50}, {0, -1, 0}, 1000, "\"Box\""},
        {{20, 10, 50}, {0, -1, 0}, 1000, "\"skyBox\""},
    };
    for (const auto& ray : rays)
        EXPECT_NEAR(physics().RaycastDistance(ray.origin, ray.direction), ray.distance, 1e-3f) << ray.what;
}

TEST_F(GamePhysicTest, SphereOverlapSeesBodiesButNeverTheGround)
{
    level.add(box({0, 0, 0}, {10, 2, 10}));
    level.build();
    physics().CreateSphere(BALL_ID, {50, -240, 0}, 3);
    EXPECT_TRUE(physics().IsDynamicShapeInSphere({0, 1.5f, 0}, 1.0f)) << "the kinematic level counts";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, 2.5f, 0}, 1.0f)) << "just above the box";
    EXPECT_TRUE(physics().IsDynamicShapeInSphere({50, -236.5f, 0}, 1.0f)) << "the ball counts";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, 0, 0}, 0.0f));
    frames(20);
    EXPECT_NEAR(ballPosition().y, -247.0f, 0.05f) << "resting on the ground plane";
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, -250, 0}, 1.0f)) << "which never counts";
}

TEST(GamePhysic, OperationsBeforeInitDoNothing)
{
    physics().CreateSphere(BALL_ID, {0, 0, 0}, 3);
    EXPECT_EQ(physics().GetActorPose(BALL_ID), Matrix4());
    physics().Simulate();
    EXPECT_FALSE(physics().FetchResults());
    EXPECT_EQ(physics().RaycastDistance({0, 0, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_FALSE(physics().IsDynamicShapeInSphere({0, 0, 0}, 5.0f));
    physics().MoveLevelOrientation(Matrix4::rotationX(0.1f));
    physics().UpdateMovingElements(0.1f);
    physics().ClearLevel();
    ElementTree level;
    level.add(box({0, 0, 0}, {1, 1, 1}));
    testing::internal::CaptureStdout();
    level.build();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GamePhysic::CreateKinematicLevel Unable to create kinematic level\n");
    delete GamePhysic::instance();
}

TEST_F(GamePhysicTest, TiltWrittenComesBackTransposedAfterTheNextStep)
{
    addFloor();
    level.build();
    physics().MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE));
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4()) << "the move acts in the next step";
    physics().Simulate();
    physics().MoveLevelOrientation(Matrix4::rotationZ(3 * DEGREE));  // given during the step
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4()) << "not before the step is fetched";
    physics().FetchResults();
    expectNear(physics().GetActorPose(LEVEL_ID), Matrix4::rotationX(-5 * DEGREE), 1e-6f);
    frames();
    expectNear(physics().GetActorPose(LEVEL_ID), Matrix4::rotationZ(-3 * DEGREE), 1e-6f);
    physics().MoveLevelPosition({1, 2, 3});
    frames();
    EXPECT_EQ(positionOf(physics().GetActorPose(LEVEL_ID)), Vector3(1, 2, 3));
}

TEST_F(GamePhysicTest, BadElementsAreLeftOutAndReported)
{
    GridMesh grid(2, 10);
    grid.indices[0] = 100;  // one triangle names a vertex that does not exist
    level.add(sphere({0, 0, 0}, 0));
    level.add(box({0, 0, 0}, {NAN, 1, 1}));
    level.add(mesh({20, 0, 0}, nullptr));
    level.add(mesh({40, 0, 0}, &grid.geometry));
    GridMesh broken(2, 10);
    broken.vertices[4].position.y = NAN;  // a body of no measurable mass
    ElementTree::addChild(level.add(box({60, 0, 0}, {10, 2, 10})),
                          connected(mesh({0, 10, 0}, &broken.geometry), CONNECTION_NONE, 0));
    testing::internal::CaptureStdout();
    level.build();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("SDK says: sphere with radius 0"), std::string::npos) << printed;
    EXPECT_NE(printed.find("SDK says: mesh triangles with missing"), std::string::npos) << printed;
    EXPECT_NE(printed.find("SDK says: level element without volume left out"), std::string::npos) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 5) << printed;

    EXPECT_NEAR(physics().RaycastDistance({42, 10, 3}, {0, -1, 0}), 10.0f, 1e-3f) << "the good triangles stay";
    physics().CreateSphere(BALL_ID, {60, 10, 0}, 3);
    frames(8);
    EXPECT_NEAR(ballPosition().y, 4.0f, 0.05f);
}

TEST_F(GamePhysicTest, ClearLevelKeepsTheBallAndEmptiesTheMovingTable)
{
    PhysicsElement* floor = addFloor();
    ElementTree::addChild(floor, connected(box({10, 3, 0}, {2, 2, 2}), CONNECTION_ROTATION, 0))->speedFactor = 10;
    ElementTree::addChild(floor, connected(box({-10, 10, 0}, {2, 2, 2}), CONNECTION_NONE, 1));  // a free body
    level.build();
    physics().CreateSphere(BALL_ID, {0, 4.2f, 0}, 3);
    frames(12);
    EXPECT_NEAR(physics().RaycastDistance({-10, 20, 0}, {0, -1, 0}), 17.0f, 0.05f) << "fell onto the floor";
    EXPECT_NEAR((elementPosition(1) - Vector3(-10, 2, 0)).length(), 0.0f, 0.2f) << "drawn where its body went";
    ASSERT_FALSE(physics().GetMovingElementPose(0) == Matrix4());
    for (const int none : {2, -1})
        EXPECT_EQ(physics().GetMovingElementPose(none), Matrix4()) << none;

    physics().ClearLevel();
    EXPECT_EQ(physics().GetMovingElementPose(0), Matrix4());
    EXPECT_EQ(physics().GetMovingElementPose(1), Matrix4());
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());
    EXPECT_EQ(physics().RaycastDistance({0, 10, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_EQ(physics().RaycastDistance({-10, 20, 0}, {0, -1, 0}), 1000.0f);
    EXPECT_FALSE(physics().GetActorPose(BALL_ID) == Matrix4()) << "the ball stays";
    physics().MoveLevelOrientation(Matrix4::rotationX(0.1f));  // no level: nothing happens
    frames(2);
    EXPECT_LT(ballPosition().y, 3.0f) << "the ball falls with the floor gone";

    ElementTree next;
    next.add(box({0, -20, 0}, {40, 2, 40}));
    next.build(LEVEL_ID + 1);
    frames(12);
    EXPECT_NEAR(ballPosition().y, -16.0f, 0.05f) << "the next level carries the ball";
}

TEST_F(GamePhysicTest, ReleasingTheLevelBodyDetachesItsElements)
{
    addSlider(addFloor(), {10, 3, 0}, {1, 0, 0}, 2, 0, 0);
    level.build();
    physics().ReleaseActor(LEVEL_ID);
    physics().MoveLevelOrientation(Matrix4::rotationX(0.1f));
    frames(3);
    EXPECT_EQ(physics().GetActorPose(LEVEL_ID), Matrix4());
    EXPECT_FALSE(physics().GetMovingElementPose(0) == Matrix4()) << "the element body is still there";
    physics().ClearLevel();
    EXPECT_EQ(physics().GetMovingElementPose(0), Matrix4());
}

TEST_F(GamePhysicTest, RotationJointSpinsBoxesAndMeshesAtATenthOfTheSpeedFactor)
{
    const GridMesh blade(2, 8);
    PhysicsElement* floor = addFloor();
    // Sunk into the floor: jointed bodies do not collide with each other.
    ElementTree::addChild(floor, connected(box({0, 1, 0}, {10, 2, 1}), CONNECTION_ROTATION, 0))->speedFactor = 10;
    ElementTree::addChild(floor, connected(mesh({12, 4, 0}, &blade.geometry), CONNECTION_ROTATION, 1))->speedFactor = 10;
    level.build();
    frames(2);
    for (int i = 0; i < 4; ++i) {
        const float before[2] = {yawOf(0), yawOf(1)};
        frames();
        for (int index = 0; index < 2; ++index)
            EXPECT_NEAR(std::remainder(yawOf(index) - before[index], 2 * PI), 0.25f, 0.02f)
                << "1 rad/s counter-clockwise seen from above, element " << index;
    }
    EXPECT_NEAR(physics().GetMovingElementPose(0)[5], 1.0f, 1e-3f) << "turning about y only";
    EXPECT_NEAR(elementPosition(0).y, 1.0f, 0.01f) << "gravity is off for connected elements";
}

TEST_F(GamePhysicTest, MovingElementStaysWithinItsTravelAndWithoutTimeFactorOrAxisStaysPut)
{
    PhysicsElement* floor = addFloor();
    addSlider(floor, {5, 10, 0}, {0, 2, 0}, 3, 0.5f, 2, 0);  // far more push than the travel needs
    addSlider(floor, {-10, 10, 0}, {1, 0, 0}, 5, 0, 50, 1);
    addSlider(floor, {-10, 10, 10}, {}, 5, 1, 50, 2);
    testing::internal::CaptureStdout();
    level.build();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("SDK says: moving element without a usable axis"),
              std::string::npos);
    float lowest = 10.0f, highest = 10.0f;
    for (int i = 0; i < 120; ++i) {
        frames(1, 0.25f);
        const Vector3 p = elementPosition(0);
        lowest = std::min(lowest, p.y);
        highest = std::max(highest, p.y);
        EXPECT_NEAR(p.x, 5.0f, 0.01f);
        EXPECT_NEAR(p.z, 0.0f, 0.01f);
    }
    EXPECT_NEAR(highest, 16.0f, 0.06f) << "6 above the start";
    EXPECT_NEAR(lowest, 4.0f, 0.06f) << "6 below the start";
    EXPECT_NEAR((elementPosition(1) - Vector3(-10, 10, 0)).length(), 0.0f, 1e-3f) << "no time factor";
    EXPECT_NEAR((elementPosition(2) - Vector3(-10, 10, 10)).length(), 0.0f, 1e-3f) << "no axis";
}

TEST_F(GamePhysicTest, MovingElementPushedIntoAnEndRestsThere)
{
    // The push points to +x for the whole run while the level tilts back and
    // forth under the element; an end must stop it without a rebound.
    addSlider(addFloor(), {0, 6, 0}, {1, 0, 0}, 2, 0.05f, 2);
    level.build();
    int framesAtEnd = 0;
    for (int i = 0; i < 600; ++i) {
        physics().MoveLevelOrientation(Matrix4::rotationZ(std::sin(float(i) * 0.2f) * 5 * DEGREE) *
                                       Matrix4::rotationX(std::cos(float(i) * 0.13f) * 3 * DEGREE));
        frames();
        const Vector3 local = Matrix4::transformPoint(Matrix4::inverseAffine(physics().GetActorPose(LEVEL_ID)),
                                                      elementPosition(0));
        if (framesAtEnd > 0 || std::fabs(local.x - 2.0f) < 0.05f) {
            ++framesAtEnd;
            ASSERT_NEAR(local.x, 2.0f, 0.05f) << "frame " << i << " after arriving " << framesAtEnd << " ago";
        }
    }
    EXPECT_GT(framesAtEnd, 300);
}

TEST_F(GamePhysicTest, MeshElementsWeighAndStandAsTheSolidTheyBound)
{
    // Pushed side by side, a cube turned 45 degrees, which fills half its
    // bounding box, slides as far as a box element of the same size and turn.
    const CubeMesh turned({0, 0, 0}, 45 * DEGREE);
    PhysicsElement* floor = addFloor();
    addSlider(floor, {0, 10, -10}, {1, 0, 0}, 100, 2, 2, 0)->rotation = {0, 45 * DEGREE, 0};
    addSlider(floor, {}, {1, 0, 0}, 100, 2, 2, 1, mesh({0, 10, 10}, &turned.geometry));
    // Free on the floor, a cube whose mesh origin lies 2 units beside it stays
    // upright as a box does: its weight acts at its middle, not at the origin.
    const CubeMesh beside({2, 0, 0}, 0);
    ElementTree::addChild(floor, connected(box({-10, 2, 0}, {2, 2, 2}), CONNECTION_NONE, 2));
    ElementTree::addChild(floor, connected(mesh({10, 2, 0}, &beside.geometry), CONNECTION_NONE, 3));
    level.build();

    // At t = pi / (2 timeFactor) the push is sin(pi/2) x 2 x 10000 = 20000 along x
    // on a mass of 10 x 8; 16 sub-steps from rest.
    frames(1, PI / (2 * 2.0f));
    const float pushed = 20000.0f / 80.0f * SUB_STEP * SUB_STEP * 136.0f;
    EXPECT_NEAR(elementPosition(0).x, pushed, pushed * 0.01f);
    EXPECT_NEAR(elementPosition(0).y, 10.0f, 1e-3f);
    EXPECT_NEAR(elementPosition(1).x, elementPosition(0).x, elementPosition(0).x * 0.01f) << "the same mass";
    frames(40);
    for (const auto& [index, middle] : {std::make_pair(2, Vector3(0, 0, 0)), {3, Vector3(2, 0, 0)}}) {
        const Matrix4 pose = physics().GetMovingElementPose(index);
        const Vector3 start = index == 2 ? Vector3(-10, 2, 0) : Vector3(12, 2, 0);
        EXPECT_NEAR((Matrix4::transformPoint(pose, middle) - start).length(), 0.0f, 0.05f) << "element " << index;
        EXPECT_NEAR(pose[5], 1.0f, 1e-3f) << "upright, element " << index;
    }
}

TEST(GamePhysic, ElementRestitutionIsCombinedByMaximum)
{
    // From 30 down to the pad at 2 + 3: 25 units of fall; 0.9 returns about 0.81 of it.
    EXPECT_GT(bounceHeight(0.9f), 5.0f + 0.6f * 25.0f);
    EXPECT_LT(bounceHeight(-1.0f), 5.0f + 0.1f * 25.0f);
}
