#include "math/MeshGeometry.h"
#include "math/Vertex.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <list>
#include <vector>

namespace {

constexpr int BALL_ID = 2;
constexpr int LEVEL_ID = 1;
constexpr float DEGREE = 0.017453292f;

// Rolling hills of cells x cells quads (two triangles each) over size x size units.
struct Terrain {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    MeshGeometry geometry;

    Terrain(int cells, float size)
    {
        const float cell = size / float(cells);
        for (int z = 0; z <= cells; ++z) {
            for (int x = 0; x <= cells; ++x) {
                Vertex v;
                const float px = -size / 2 + float(x) * cell, pz = -size / 2 + float(z) * cell;
                v.position = {px, 1.5f * std::sin(px * 0.15f) * std::cos(pz * 0.12f), pz};
                vertices.push_back(v);
            }
        }
        const auto at = [cells](int x, int z) { return std::uint32_t(z * (cells + 1) + x); };
        for (int z = 0; z < cells; ++z) {
            for (int x = 0; x < cells; ++x) {
                indices.insert(indices.end(), {at(x, z), at(x, z + 1), at(x + 1, z + 1)});
                indices.insert(indices.end(), {at(x, z), at(x + 1, z + 1), at(x + 1, z)});
            }
        }
        geometry = {int(vertices.size()), int(indices.size()), vertices.data(), indices.data()};
    }
};

PhysicsElement* element(const char* type, const Vector3& position)
{
    auto* e = new PhysicsElement;
    e->type = type;
    e->position = position;
    return e;
}

PhysicsElement* boxElement(const Vector3& position, const Vector3& measures, const Vector3& rotation = {})
{
    PhysicsElement* e = element("box", position);
    e->measures = measures;
    e->rotation = rotation;
    return e;
}

void deleteTree(std::list<PhysicsElement*>& elements)
{
    for (PhysicsElement* e : elements) {
        deleteTree(e->children);
        delete e;
    }
    elements.clear();
}

// A walled 100 x 100 floor with a 5,000-triangle hill mesh, 52 obstacles, six
// jointed elements (two fixed, two rotating, two sliding) and the ball.
void buildLevel(const Terrain& terrain)
{
    std::list<PhysicsElement*> level;
    PhysicsElement* floor = boxElement({0, -1, 0}, {100, 2, 100});
    level.push_back(floor);
    level.push_back(boxElement({0, 4, 50}, {100, 10, 2}));
    level.push_back(boxElement({0, 4, -50}, {100, 10, 2}));
    level.push_back(boxElement({50, 4, 0}, {2, 10, 100}));
    level.push_back(boxElement({-50, 4, 0}, {2, 10, 100}));
    for (int i = 0; i < 40; ++i) {
        const float angle = float(i) * 0.61f;
        const float radius = 20.0f + float(i % 5) * 5.0f;
        level.push_back(boxElement({radius * std::cos(angle), 1.5f, radius * std::sin(angle)}, {3, 3, 3},
                                   {0, angle, 0}));
    }
    for (int i = 0; i < 12; ++i) {
        PhysicsElement* s = element("sphere", {-40.0f + float(i) * 7.0f, 2.0f, 44.0f});
        s->radius = 2.0f;
        level.push_back(s);
    }
    PhysicsElement* hills = element("mesh", {0, 0.5f, 0});
    hills->mesh = &terrain.geometry;
    level.push_back(hills);

    const auto child = [&](const Vector3& offset, ConnectionKind kind, int index) {
        PhysicsElement* c = boxElement(offset, {8, 2, 2});
        c->connection = kind;
        c->movingIndex = index;
        c->speedFactor = 10;
        c->axis = {1, 0, 0};
        c->distanceFactor = 4;
        c->timeFactor = 1.0f;
        floor->children.push_back(c);
        return c;
    };
    child({-30, 3, -30}, CONNECTION_FIXED, 0);
    child({30, 3, -30}, CONNECTION_FIXED, 1);
    child({-30, 3, 30}, CONNECTION_ROTATION, 2);
    child({30, 3, 30}, CONNECTION_ROTATION, 3);
    child({0, 3, -40}, CONNECTION_MOVING, 4);
    child({0, 3, 40}, CONNECTION_MOVING, 5);

    GamePhysic::instance()->CreateKinematicLevel(LEVEL_ID, level);
    deleteTree(level);
}

void BM_PhysicsFrame(benchmark::State& state)
{
    GamePhysic& physics = *GamePhysic::instance();
    physics.Init(false);
    const Terrain terrain(50, 90);  // 5,000 triangles
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
    const Matrix4 ball = physics.GetActorPose(BALL_ID);
    const Vector3 local = Matrix4::transformPoint(Matrix4::inverseAffine(physics.GetActorPose(LEVEL_ID)),
                                                  {ball[12], ball[13], ball[14]});
    state.counters["ball_x"] = local.x;
    state.counters["ball_y"] = local.y;
    state.counters["ball_z"] = local.z;
    state.counters["ball_speed"] = physics.GetActorVelocity(BALL_ID).length();
    delete GamePhysic::instance();
}

}  // namespace

BENCHMARK(BM_PhysicsFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

BENCHMARK_MAIN();
