#include "tools/MeshShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct Shape {
    const char* name;
    MeshData (*make)();
};

const Shape SHAPES[] = {{"halfpipe", MeshShapes::halfPipe}, {"bridge", MeshShapes::archBridge},
                        {"trunk", MeshShapes::treeTrunk},   {"rock", MeshShapes::rock},
                        {"crater", MeshShapes::crater}};

// Checks every triangle of a mesh: indices in range, a real area, texture
// coordinates that span an area (the game derives tangents from them), and a
// winding that agrees with the vertex normals (counter-clockwise from outside).
void checkTriangles(const MeshData& mesh)
{
    for (const MeshData::SubMesh& part : mesh.subMeshes) {
        const std::vector<MeshData::Vertex>& vertices = mesh.verticesOf(part);
        ASSERT_EQ(part.indices.size() % 3, 0u) << mesh.name;
        ASSERT_FALSE(part.indices.empty()) << mesh.name;
        int disagreeing = 0;
        for (std::size_t t = 0; t < part.indices.size(); t += 3) {
            for (int k = 0; k < 3; ++k)
                ASSERT_LT(part.indices[t + k], vertices.size()) << mesh.name;
            const MeshData::Vertex& a = vertices[part.indices[t]];
            const MeshData::Vertex& b = vertices[part.indices[t + 1]];
            const MeshData::Vertex& c = vertices[part.indices[t + 2]];
            const Vector3 face = (b.position - a.position).cross(c.position - a.position);
            ASSERT_GT(face.length(), 1e-7f) << mesh.name << " triangle " << t / 3;
            const float uvArea = (b.u - a.u) * (c.v - a.v) - (c.u - a.u) * (b.v - a.v);
            ASSERT_GT(std::fabs(uvArea), 1e-9f) << mesh.name << " triangle " << t / 3;
            const Vector3 normals = a.normal + b.normal + c.normal;
            disagreeing += face.dot(normals) <= 0.0f ? 1 : 0;
        }
        // Smoothed normals may tip over on a sharp crease, but only there.
        EXPECT_LE(disagreeing, static_cast<int>(part.indices.size() / 3 / 200)) << mesh.name << " " << part.name;
        for (const MeshData::Vertex& v : vertices)
            EXPECT_NEAR(v.normal.length(), 1.0f, 1e-3f) << mesh.name;
    }
}

// Share of the surface area whose normal points away from the solid's inside,
// insideNear(point) giving a point inside near each face (by area, so the
// fineness of the tessellation does not count).
template <typename Inside>
float outwardFraction(const MeshData& mesh, Inside insideNear)
{
    float outward = 0.0f;
    float total = 0.0f;
    for (const MeshData::SubMesh& part : mesh.subMeshes) {
        const std::vector<MeshData::Vertex>& vertices = mesh.verticesOf(part);
        for (std::size_t t = 0; t < part.indices.size(); t += 3) {
            const Vector3& a = vertices[part.indices[t]].position;
            const Vector3& b = vertices[part.indices[t + 1]].position;
            const Vector3& c = vertices[part.indices[t + 2]].position;
            const Vector3 centre = (a + b + c) * (1.0f / 3.0f);
            const Vector3 face = (b - a).cross(c - a);
            outward += face.dot(centre - insideNear(centre)) > 0.0f ? face.length() : 0.0f;
            total += face.length();
        }
    }
    return outward / total;
}

}  // namespace

TEST(MeshShapes, EveryShapeHasValidOutwardFacingTriangles)
{
    for (const Shape& shape : SHAPES) {
        SCOPED_TRACE(shape.name);
        const MeshData mesh = shape.make();
        EXPECT_EQ(mesh.name, shape.name);
        checkTriangles(mesh);
    }
    // Closed, roughly convex solids: nearly every face looks away from their middle.
    const MeshData rock = MeshShapes::rock();
    EXPECT_GT(outwardFraction(rock, [](const Vector3&) { return Vector3(0.0f, 6.0f, 0.0f); }), 0.97f);
    // The trunk leans and tapers: seen from its axis at each face's height (below
    // the broken top, which then faces away too).
    const auto trunkAxis = [](const Vector3& p) {
        const float y = std::min(p.y, 85.0f);
        const float t = y / 90.0f;
        return Vector3(6.0f * t * t, y, -2.0f * t);
    };
    EXPECT_GT(outwardFraction(MeshShapes::treeTrunk(), trunkAxis), 0.97f);
}

TEST(MeshShapes, RunningSurfacesFaceTheBall)
{
    // The half-pipe's running surface faces up at its bottom, the crater's
    // slopes and the bridge deck too.
    auto upFacingAt = [](const MeshData& mesh, const char* part, float x, float z) {
        for (const MeshData::SubMesh& s : mesh.subMeshes) {
            if (s.name != part)
                continue;
            float best = 1e9f;
            Vector3 normal;
            for (const std::uint32_t i : s.indices) {
                const MeshData::Vertex& v = mesh.verticesOf(s)[i];
                const float d = std::hypot(v.position.x - x, v.position.z - z) - 0.01f * v.position.y;
                if (d < best) {
                    best = d;
                    normal = v.normal;
                }
            }
            return normal.y;
        }
        return -2.0f;
    };
    EXPECT_GT(upFacingAt(MeshShapes::halfPipe(), "surface", 0.0f, 0.0f), 0.95f);
    EXPECT_GT(upFacingAt(MeshShapes::archBridge(), "deck", 0.0f, 0.0f), 0.95f);
    EXPECT_GT(upFacingAt(MeshShapes::crater(), "slopes", 80.0f, 0.0f), 0.3f);
}
