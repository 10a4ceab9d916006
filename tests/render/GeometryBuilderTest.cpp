#include "render/GeometryBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr float TOLERANCE = 1e-5f;

// Owns the arrays the builder writes.
struct Geometry : MeshGeometry {
    Geometry() = default;
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;
    ~Geometry()
    {
        delete[] vertices;
        delete[] indices;
    }
};

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = TOLERANCE)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Largest u and v of box face f (vertices 4f .. 4f + 3).
void faceExtent(const Geometry& box, int face, float& u, float& v)
{
    u = v = 0.0f;
    for (int i = 4 * face; i < 4 * face + 4; ++i) {
        u = std::max(u, box.vertices[i].u);
        v = std::max(v, box.vertices[i].v);
    }
}

// Direction in which the attribute grows over the four vertices of a face.
Vector3 gradient(const Vertex* face, float Vertex::*attribute)
{
    Vector3 sum;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            sum += (face[j].position - face[i].position) * (face[j].*attribute - face[i].*attribute);
    return sum;
}

// Extent of the four vertices of a face along axis.
float span(const Vertex* face, const Vector3& axis)
{
    float low = face[0].position.dot(axis), high = low;
    for (int i = 1; i < 4; ++i) {
        low = std::min(low, face[i].position.dot(axis));
        high = std::max(high, face[i].position.dot(axis));
    }
    return high - low;
}

enum Face { TOP, BACK, RIGHT, FRONT, LEFT, BOTTOM };

// A unit quad in the z = 0 plane facing +z, two triangles, with the texture
// coordinates given per corner (-,-), (+,-), (+,+), (-,+).
void quad(Geometry& mesh, const float uv[4][2])
{
    const Vector3 corners[4] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    mesh.vertexCount = 4;
    mesh.vertices = new Vertex[4];
    for (int i = 0; i < 4; ++i) {
        mesh.vertices[i].position = corners[i];
        mesh.vertices[i].normal = {0, 0, 1};
        mesh.vertices[i].u = uv[i][0];
        mesh.vertices[i].v = uv[i][1];
    }
    mesh.indexCount = 6;
    mesh.indices = new std::uint32_t[6]{0, 1, 2, 0, 2, 3};
}

}  // namespace

TEST(GeometryBuilder, BoxHasSixOutwardStripsOfFourVertices)
{
    Geometry box;
    GeometryBuilder::box(box, {1, 2, 3}, 4, 6, 8, {1, 1, 1}, {1, 1, 1});
    ASSERT_EQ(box.vertexCount, 24);
    EXPECT_EQ(box.indices, nullptr);
    const Vector3 center{1, 2, 3}, half{2, 3, 4};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const Vertex* v = box.vertices + 4 * face;
        for (int i = 0; i < 4; ++i) {
            const Vector3 offset = v[i].position - center;
            EXPECT_NEAR(std::fabs(offset.x), half.x, TOLERANCE);
            EXPECT_NEAR(std::fabs(offset.y), half.y, TOLERANCE);
            EXPECT_NEAR(std::fabs(offset.z), half.z, TOLERANCE);
            // Every corner lies on the side its normal points to, in a frame of unit vectors.
            EXPECT_GT(offset.dot(v[i].normal), 0.0f);
            EXPECT_EQ(v[i].normal, v[0].normal);
            EXPECT_NEAR(v[i].tangent.dot(v[i].normal), 0.0f, TOLERANCE);
            EXPECT_NEAR(v[i].binormal.dot(v[i].normal), 0.0f, TOLERANCE);
            EXPECT_EQ(v[i].handedness, 1.0f);
        }
        // Both strip triangles wind counter-clockwise seen from outside.
        const Vector3 first = (v[1].position - v[0].position).cross(v[2].position - v[0].position);
        const Vector3 second = (v[1].position - v[2].position).cross(v[3].position - v[2].position);
        EXPECT_GT(first.dot(v[0].normal), 0.0f);
        EXPECT_GT(second.dot(v[0].normal), 0.0f);
        // The tangent points along increasing u, the binormal along increasing v.
        EXPECT_GT(gradient(v, &Vertex::u).dot(v[0].tangent), 0.0f);
        EXPECT_GT(gradient(v, &Vertex::v).dot(v[0].binormal), 0.0f);
    }
}

TEST(GeometryBuilder, BoxWithOnlyARepeatLengthRepeatsEveryThatManyUnits)
{
    Geometry box;
    const float width = 10, height = 4, depth = 6;
    GeometryBuilder::box(box, {}, width, height, depth, {2, 0, 0}, {0, 0, 0});
    float u = 0, v = 0;
    // U = (d, d, w) / 2 and V = (h, w, h) / 2, indexed by each face's extent component.
    faceExtent(box, TOP, u, v);
    EXPECT_FLOAT_EQ(u, depth / 2);
    EXPECT_FLOAT_EQ(v, width / 2);
    faceExtent(box, FRONT, u, v);
    EXPECT_FLOAT_EQ(u, width / 2);
    EXPECT_FLOAT_EQ(v, height / 2);
    faceExtent(box, RIGHT, u, v);
    EXPECT_FLOAT_EQ(u, depth / 2);
    EXPECT_FLOAT_EQ(v, height / 2);
    // Along each face's tangent and binormal the texture covers half the face's
    // length: one repeat per 2 units everywhere.
    for (int face = 0; face < 6; ++face) {
        const Vertex* f = box.vertices + 4 * face;
        faceExtent(box, face, u, v);
        EXPECT_FLOAT_EQ(u, span(f, f[0].tangent) / 2) << face;
        EXPECT_FLOAT_EQ(v, span(f, f[0].binormal) / 2) << face;
    }
}

TEST(GeometryBuilder, BoxTakesOtherTextureExtentsLiterally)
{
    Geometry box;
    GeometryBuilder::box(box, {}, 10, 4, 6, {2, 0, 0.5f}, {3, 5, 7});
    float u = 0, v = 0;
    faceExtent(box, RIGHT, u, v);  // component 0
    EXPECT_FLOAT_EQ(u, 2);
    EXPECT_FLOAT_EQ(v, 3);
    faceExtent(box, BOTTOM, u, v);  // component 1
    EXPECT_FLOAT_EQ(u, 0);
    EXPECT_FLOAT_EQ(v, 5);
    faceExtent(box, BACK, u, v);  // component 2
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, 7);
}

TEST(GeometryBuilder, BoxWithoutAnyTextureExtentGetsFiniteCoordinates)
{
    // A repeat length of 0 would divide by zero; the zero extents are taken as they are.
    Geometry box;
    GeometryBuilder::box(box, {}, 10, 4, 6, {0, 0, 0}, {0, 0, 0});
    for (int i = 0; i < box.vertexCount; ++i) {
        EXPECT_EQ(box.vertices[i].u, 0.0f);
        EXPECT_EQ(box.vertices[i].v, 0.0f);
    }
}

TEST(GeometryBuilder, RebuildingABoxReplacesItsVertices)
{
    Geometry box;
    GeometryBuilder::box(box, {}, 1, 1, 1, {1, 1, 1}, {1, 1, 1});
    GeometryBuilder::box(box, {}, 2, 2, 2, {1, 1, 1}, {1, 1, 1});
    EXPECT_EQ(box.vertexCount, 24);
    EXPECT_FLOAT_EQ(std::fabs(box.vertices[0].position.x), 1.0f);
}

TEST(GeometryBuilder, SpherePrecisionIsRaisedToFourAndBoundedAbove)
{
    EXPECT_EQ(GeometryBuilder::spherePrecision(3), 4);
    EXPECT_EQ(GeometryBuilder::spherePrecision(-20), 4);
    EXPECT_EQ(GeometryBuilder::spherePrecision(50), 50);
    EXPECT_EQ(GeometryBuilder::spherePrecision(2000000000), GeometryBuilder::MAX_SPHERE_PRECISION);
    // (n/2) * (n+1) * 2 with n/2 truncated.
    EXPECT_EQ(GeometryBuilder::sphereVertexCount(4), 20);
    EXPECT_EQ(GeometryBuilder::sphereVertexCount(5), 24);
    EXPECT_EQ(GeometryBuilder::sphereVertexCount(50), 2550);

    Geometry sphere;
    GeometryBuilder::sphere(sphere, 1.0f, GeometryBuilder::spherePrecision(3), {});
    EXPECT_EQ(sphere.vertexCount, 20);
    GeometryBuilder::sphere(sphere, 1.0f, GeometryBuilder::MAX_SPHERE_PRECISION, {});
    EXPECT_EQ(sphere.vertexCount, GeometryBuilder::sphereVertexCount(GeometryBuilder::MAX_SPHERE_PRECISION));
}

TEST(GeometryBuilder, SphereVerticesLieOnItWithAnOrthogonalFrame)
{
    Geometry sphere;
    const Vector3 center{5, -2, 1};
    GeometryBuilder::sphere(sphere, 3.0f, 12, center);
    ASSERT_EQ(sphere.vertexCount, 6 * 13 * 2);
    for (int i = 0; i < sphere.vertexCount; ++i) {
        SCOPED_TRACE(i);
        const Vertex& v = sphere.vertices[i];
        expectNear(v.position, center + v.normal * 3.0f);
        EXPECT_NEAR(v.normal.length(), 1.0f, TOLERANCE);
        EXPECT_NEAR(v.tangent.length(), 1.0f, TOLERANCE);
        EXPECT_NEAR(v.tangent.dot(v.normal), 0.0f, TOLERANCE);
        expectNear(v.binormal, v.normal.cross(v.tangent));
        EXPECT_EQ(v.handedness, 1.0f);
    }
    // Band 1, slice 3: u = -(3/12), v = 2/12 (lower) and 4/12 (upper); the strip
    // runs from the south pole upwards.
    const Vertex& lower = sphere.vertices[13 * 2 + 3 * 2];
    const Vertex& upper = sphere.vertices[13 * 2 + 3 * 2 + 1];
    EXPECT_FLOAT_EQ(lower.u, -0.25f);
    EXPECT_FLOAT_EQ(lower.v, 2.0f / 12.0f);
    EXPECT_FLOAT_EQ(upper.v, 4.0f / 12.0f);
    EXPECT_GT(upper.position.y, lower.position.y);
    EXPECT_NEAR(sphere.vertices[0].normal.y, -1.0f, TOLERANCE);
    EXPECT_NEAR(sphere.vertices[sphere.vertexCount - 1].normal.y, 1.0f, TOLERANCE);
}

TEST(GeometryBuilder, NegativeSphereRadiusGivesTheSameSphere)
{
    Geometry positive, negative;
    GeometryBuilder::sphere(positive, 2.5f, 8, {1, 1, 1});
    GeometryBuilder::sphere(negative, -2.5f, 8, {1, 1, 1});
    ASSERT_EQ(positive.vertexCount, negative.vertexCount);
    for (int i = 0; i < positive.vertexCount; ++i) {
        EXPECT_EQ(positive.vertices[i].position, negative.vertices[i].position);
        EXPECT_EQ(positive.vertices[i].normal, negative.vertices[i].normal);
    }
}

TEST(GeometryBuilder, QuadTangentFollowsUAndHandednessFollowsTheMapping)
{
    // u along +x, v along +y.
    const float straight[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Geometry mesh;
    quad(mesh, straight);
    GeometryBuilder::meshTangents(mesh);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectNear(mesh.vertices[i].tangent, {1, 0, 0});
        expectNear(mesh.vertices[i].binormal, {0, 1, 0});  // along v, as on boxes
        EXPECT_EQ(mesh.vertices[i].handedness, 1.0f);
    }

    // Mirrored: u along -x. The tangent turns round and the handedness flips, so
    // binormal * handedness still points along increasing v.
    const float mirrored[4][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}};
    Geometry flipped;
    quad(flipped, mirrored);
    GeometryBuilder::meshTangents(flipped);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectNear(flipped.vertices[i].tangent, {-1, 0, 0});
        expectNear(flipped.vertices[i].binormal, {0, -1, 0});
        EXPECT_EQ(flipped.vertices[i].handedness, -1.0f);
    }
}

TEST(GeometryBuilder, TangentIsMadeOrthogonalToATiltedNormal)
{
    const float uv[4][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    Geometry mesh;
    quad(mesh, uv);
    const Vector3 tilted = Vector3::normalized({1, 0, 1});
    for (int i = 0; i < 4; ++i)
        mesh.vertices[i].normal = tilted;
    GeometryBuilder::meshTangents(mesh);
    expectNear(mesh.vertices[0].tangent, Vector3::normalized({1, 0, -1}));
    EXPECT_NEAR(mesh.vertices[0].tangent.dot(tilted), 0.0f, TOLERANCE);
}

TEST(GeometryBuilder, TriangleWithoutTextureAreaIsSkipped)
{
    // The quad plus a fifth vertex used only by a triangle whose texture
    // coordinates are all equal, and a triangle of the quad repeated with
    // collapsed coordinates.
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Geometry mesh;
    quad(mesh, uv);
    Vertex* vertices = new Vertex[6];
    std::copy(mesh.vertices, mesh.vertices + 4, vertices);
    vertices[4].position = {0, 0, 5};
    vertices[4].normal = {0, 1, 0};
    vertices[5] = vertices[0];
    vertices[5].position = {3, 3, 3};
    vertices[5].normal = {0, 1, 0};
    delete[] mesh.vertices;
    mesh.vertices = vertices;
    mesh.vertexCount = 6;
    delete[] mesh.indices;
    mesh.indices = new std::uint32_t[9]{0, 1, 2, 0, 2, 3, 4, 5, 0};
    mesh.indexCount = 9;
    // Vertices 4 and 5 share vertex 0's coordinates (0, 0) and vertex 4 has u v 0 too.

    GeometryBuilder::meshTangents(mesh);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectNear(mesh.vertices[i].tangent, {1, 0, 0});
    }
    // Vertices of the skipped triangle alone get some finite unit tangent
    // perpendicular to their normal.
    for (int i = 4; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Vertex& v = mesh.vertices[i];
        EXPECT_TRUE(finite(v.tangent) && finite(v.binormal));
        EXPECT_NEAR(v.tangent.length(), 1.0f, TOLERANCE);
        EXPECT_NEAR(v.tangent.dot(v.normal), 0.0f, TOLERANCE);
    }
}

TEST(GeometryBuilder, EmptyMeshGetsNoTangentsAndNoFault)
{
    Geometry mesh;
    GeometryBuilder::meshTangents(mesh);
    EXPECT_EQ(mesh.vertexCount, 0);

    // Vertices without indices: nothing to learn from, still a usable frame.
    mesh.vertexCount = 2;
    mesh.vertices = new Vertex[2];
    mesh.vertices[1].normal = {0, 0, 1};
    GeometryBuilder::meshTangents(mesh);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(finite(mesh.vertices[i].tangent));
        EXPECT_NEAR(mesh.vertices[i].tangent.length(), 1.0f, TOLERANCE);
    }
}
