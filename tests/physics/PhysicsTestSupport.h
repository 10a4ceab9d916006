#pragma once

#include "math/MeshGeometry.h"
#include "math/Vertex.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <list>
#include <vector>

namespace physicstest {

constexpr int BALL_ID = 7;
constexpr int LEVEL_ID = 3;
constexpr float BALL_RADIUS = 3.0f;
constexpr float DEGREE = 0.017453292f;

inline Vector3 positionOf(const Matrix4& pose)
{
    return {pose[12], pose[13], pose[14]};
}

inline bool isIdentity(const Matrix4& m)
{
    return m == Matrix4();
}

// A fresh, initialised physics world per test; deleted afterwards.
class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override { physics().Init(false); }
    void TearDown() override { delete GamePhysic::instance(); }

    static GamePhysic& physics() { return *GamePhysic::instance(); }

    // One game frame: push the moving elements, start a step and complete it.
    static void frame(float frameTime = 0.025f)
    {
        physics().UpdateMovingElements(frameTime);
        physics().Simulate();
        physics().FetchResults();
    }

    static void frames(int count, float frameTime = 0.025f)
    {
        for (int i = 0; i < count; ++i)
            frame(frameTime);
    }

    static Vector3 ballPosition() { return positionOf(physics().GetActorPose(BALL_ID)); }
};

// Owns a tree of elements the way the level builder does, and deletes it.
class ElementTree {
public:
    ElementTree() = default;
    ElementTree(const ElementTree&) = delete;
    ElementTree& operator=(const ElementTree&) = delete;
    ~ElementTree() { destroy(top); }

    PhysicsElement* add(PhysicsElement* element)
    {
        top.push_back(element);
        return element;
    }

    static PhysicsElement* addChild(PhysicsElement* parent, PhysicsElement* child)
    {
        parent->children.push_back(child);
        return child;
    }

    void build(int levelId = LEVEL_ID) const { GamePhysic::instance()->CreateKinematicLevel(levelId, top); }

    std::list<PhysicsElement*> top;

private:
    static void destroy(std::list<PhysicsElement*>& elements)
    {
        for (PhysicsElement* element : elements) {
            destroy(element->children);
            delete element;
        }
        elements.clear();
    }
};

inline PhysicsElement* box(const Vector3& position, const Vector3& measures, const Vector3& rotation = {})
{
    auto* element = new PhysicsElement;
    element->type = "box";
    element->position = position;
    element->measures = measures;
    element->rotation = rotation;
    return element;
}

inline PhysicsElement* sphere(const Vector3& position, float radius)
{
    auto* element = new PhysicsElement;
    element->type = "sphere";
    element->position = position;
    element->radius = radius;
    return element;
}

inline PhysicsElement* mesh(const Vector3& position, const MeshGeometry* geometry, const Vector3& rotation = {})
{
    auto* element = new PhysicsElement;
    element->type = "mesh";
    element->position = position;
    element->rotation = rotation;
    element->mesh = geometry;
    return element;
}

inline PhysicsElement* connected(PhysicsElement* element, ConnectionKind connection, int movingIndex)
{
    element->connection = connection;
    element->movingIndex = movingIndex;
    return element;
}

// A flat square of cells x cells quads in the plane y = 0, centred on the
// origin, two triangles per quad wound counter-clockwise seen from above.
class GridMesh {
public:
    GridMesh(int cells, float size)
    {
        const float cell = size / float(cells);
        for (int z = 0; z <= cells; ++z) {
            for (int x = 0; x <= cells; ++x) {
                Vertex v;
                v.position = {-size / 2 + float(x) * cell, 0.0f, -size / 2 + float(z) * cell};
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
        geometry.vertexCount = int(vertices.size());
        geometry.indexCount = int(indices.size());
        geometry.vertices = vertices.data();
        geometry.indices = indices.data();
    }
    GridMesh(const GridMesh&) = delete;
    GridMesh& operator=(const GridMesh&) = delete;

    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    MeshGeometry geometry;
};

}  // namespace physicstest
