#include "PhysicsTestSupport.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace physicstest;

namespace {

// Rolling hills for the terrain mesh.
float hills(float x, float z)
{
    return 1.5f * std::sin(x * 0.15f) * std::cos(z * 0.12f);
}

// A walled 100 x 100 floor with a 5,000-triangle hill mesh, 52 obstacles, six
// jointed elements (two fixed, two rotating, two sliding) and the ball.
void buildLevel(const GridMesh& terrain)
{
    ElementTree level;
    PhysicsElement* floor = level.add(box({0, -1, 0}, {100, 2, 100}));
    level.add(box({0, 4, 50}, {100, 10, 2}));
    level.add(box({0, 4, -50}, {100, 10, 2}));
    level.add(box({50, 4, 0}, {2, 10, 100}));
    level.add(box({-50, 4, 0}, {2, 10, 100}));
    for (int i = 0; i < 40; ++i) {
        const float angle = float(i) * 0.61f;
        const float radius = 20.0f + float(i % 5) * 5.0f;
        level.add(box({radius * std::cos(angle), 1.5f, radius * std::sin(angle)}, {3, 3, 3}, {0, angle, 0}));
    }
    for (int i = 0; i < 12; ++i)
        level.add(sphere({-40.0f + float(i) * 7.0f, 2.0f, 44.0f}, 2.0f));
    level.add(mesh({0, 0.5f, 0}, &terrain.geometry));

    const auto child = [floor](const Vector3& offset, ConnectionKind kind, int index) {
        PhysicsElement* c = ElementTree::addChild(floor, connected(box(offset, {8, 2, 2}), kind, index));
        c->speedFactor = 10;
        c->axis = {1, 0, 0};
        c->distanceFactor = 4;
        c->timeFactor = 1.0f;
    };
    child({-30, 3, -30}, CONNECTION_FIXED, 0);
    child({30, 3, -30}, CONNECTION_FIXED, 1);
    child({-30, 3, 30}, CONNECTION_ROTATION, 2);
    child({30, 3, 30}, CONNECTION_ROTATION, 3);
    child({0, 3, -40}, CONNECTION_MOVING, 4);
    child({0, 3, 40}, CONNECTION_MOVING, 5);
    level.build();
}

void BM_PhysicsFrame(benchmark::State& state)
{
    const World world;
    GamePhysic& physics = *GamePhysic::instance();
    const GridMesh terrain(50, 90, hills);  // 5,000 triangles
    buildLevel(terrain);
    physics.CreateSphere(BALL_ID, {0, 8, 0}, 3);
    physics.Simulate();

    int frame = 0;
    for (auto _ : state) {
        // A game frame's physics: collect the step, tilt, push, start the next.
        physics.FetchResults();
        const float t = float(frame++) * 0.25f;
        physics.MoveLevelPosition({0, 0, 0});
        physics.MoveLevelOrientation(Matrix4::rotationX(5 * DEGREE * std::sin(t * 0.4f)) *
                                     Matrix4::rotationZ(5 * DEGREE * std::cos(t * 0.3f)));
        physics.UpdateMovingElements(0.025f);
        physics.Simulate();
    }
    physics.FetchResults();
    // Where the ball ended, in the level's own frame: still inside the walls, on the ground.
    const Vector3 local =
        Matrix4::transformPoint(Matrix4::inverseAffine(physics.GetActorPose(LEVEL_ID)), ballPosition());
    state.counters["ball_x"] = local.x;
    state.counters["ball_y"] = local.y;
    state.counters["ball_z"] = local.z;
    state.counters["ball_speed"] = physics.GetActorVelocity(BALL_ID).length();
}

}  // namespace

BENCHMARK(BM_PhysicsFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

BENCHMARK_MAIN();
