#pragma once

#include "math/MeshGeometry.h"
#include "math/Vertex.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <cstdint>
#include <list>
#include <vector>

// Level building blocks shared by the physics tests and the physics benchmark.
namespace physicstest {

constexpr int BALL_ID = 7;
constexpr int LEVEL_ID = 3;
constexpr float BALL_RADIUS = 3.0f;
constexpr float DEGREE = 0.017453292f;

inline Vector3 positionOf(const Matrix4& pose)
{
    return {pose[12], pose[13], pose[14]};
}

inline Vector3 ballPosition()
{
    return positionOf(GamePhysic::instance()->GetActorPose(BALL_ID));
}

// An initialised physics world for the object's lifetime.
struct World {
    explicit World(bool debugView = false) { GamePhysic::instance()->Init(debugView); }
    ~World() { delete GamePhysic::instance(); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;
};

// count game frames: push the moving elements, start a step and complete it.
inline void frames(int count = 1, float frameTime = 0.025f)
{
    GamePhysic& physics = *GamePhysic::instance();
    for (int i = 0; i < count; ++i) {
        physics.UpdateMovingElements(frameTime);
        physics.Simulate();
        physics.FetchResults();
    }
}

inline PhysicsElement* element(const char* type, const Vector3& position, const Vector3& rotation = {})
{
    auto* e = new PhysicsElement;
    e->type = type;
    e->position = position;
    e->rotation = rotation;
    return e;
}

inline PhysicsElement* box(const Vector3& position, const Vector3& measures, const Vector3& rotation = {})
{
    PhysicsElement* e = element("box", position, rotation);
    e->measures = measures;
    return e;
}

inline PhysicsElement* sphere(const Vector3& position, float radius)
{
    PhysicsElement* e = element("sphere", position);
    e->radius = radius;
    return e;
}

inline PhysicsElement* mesh(const Vector3& position, const MeshGeometry* geometry, const Vector3& rotation = {})
{
    PhysicsElement* e = element("mesh", position, rotation);
    e->mesh = geometry;
    return e;
}

inline PhysicsElement* connected(PhysicsElement* e, ConnectionKind connection, int movingIndex)
{
    e->connection = connection;
    e->movingIndex = movingIndex;
    return e;
}

// Owns a tree of elements the way the level builder does, and deletes it.
class ElementTree {
public:
    ElementTree() = default;
    ElementTree(const ElementTree&) = delete;
    ElementTree& operator=(const ElementTree&) = delete;
    ~ElementTree() { destroy(top); }

    PhysicsElement* add(PhysicsElement* e)
    {
        top.push_back(e);
        return e;
    }
    static PhysicsElement* addChild(PhysicsElement* parent, PhysicsElement* child)
    {
        parent->children.push_back(child);
        return child;
    }
    void build(int levelId = LEVEL_ID) const { GamePhysic::instance()->CreateKinematicLevel(levelId, top); }

private:
    static void destroy(std::list<PhysicsElement*>& elements)
    {
        for (PhysicsElement* e : elements) {
            destroy(e->children);
            delete e;
        }
        elements.clear();
    }

    std::list<PhysicsElement*> top;
};

// cells x cells quads over size x size units centred on the origin, two
// triangles each wound counter-clockwise seen from above; flat at y = 0 unless
// height(x, z) is given.
class GridMesh {
public:
    GridMesh(int cells, float size, float (*height)(float x, float z) = nullptr)
    {
        const float cell = size / float(cells);
        for (int z = 0; z <= cells; ++z) {
            for (int x = 0; x <= cells; ++x) {
                const float px = -size / 2 + float(x) * cell, pz = -size / 2 + float(z) * cell;
                Vertex v;
                v.position = {px, height ? height(px, pz) : 0.0f, pz};
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
    GridMesh(const GridMesh&) = delete;
    GridMesh& operator=(const GridMesh&) = delete;

    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    MeshGeometry geometry;
};

// A closed cube mesh of side 2 around centre, turned by yaw about y.
class CubeMesh {
public:
    CubeMesh(const Vector3& centre, float yaw)
    {
        const Matrix4 turn = Matrix4::rotationY(yaw);
        for (int corner = 0; corner < 8; ++corner) {
            Vertex v;
            const Vector3 offset(corner & 1 ? 1.0f : -1.0f, corner & 2 ? 1.0f : -1.0f, corner & 4 ? 1.0f : -1.0f);
            v.position = centre + Matrix4::transformPoint(turn, offset);
            vertices.push_back(v);
        }
        // Each face as two triangles wound counter-clockwise seen from outside.
        const std::uint32_t faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                           {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
        for (const auto& f : faces)
            indices.insert(indices.end(), {f[0], f[1], f[2], f[0], f[2], f[3]});
        geometry = {int(vertices.size()), int(indices.size()), vertices.data(), indices.data()};
    }
    CubeMesh(const CubeMesh&) = delete;
    CubeMesh& operator=(const CubeMesh&) = delete;

    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    MeshGeometry geometry;
};

}  // namespace physicstest
