#include "render/GeometryBuilder.h"

#include "ExpectNear.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

// A unit frame perpendicular to the normal, whatever the input was.
void expectUsableTangent(const Vertex& v)
{
    EXPECT_TRUE(std::isfinite(v.binormal.x) && std::isfinite(v.binormal.y) && std::isfinite(v.binormal.z));
    EXPECT_NEAR(v.tangent.length(), 1.0f, TOLERANCE);
    EXPECT_NEAR(v.tangent.dot(v.normal), 0.0f, TOLERANCE);
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

// The largest value of the attribute over box face f (vertices 4f .. 4f + 3).
float largest(const Geometry& box, int face, float Vertex::*attribute)
{
    float value = 0.0f;
    for (int i = 4 * face; i < 4 * face + 4; ++i)
        value = std::max(value, box.vertices[i].*attribute);
    return value;
}

enum Face { TOP, BACK, RIGHT, FRONT, LEFT, BOTTOM };

// A quad in the z = 0 plane facing +z, two triangles, with the texture
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

TEST(GeometryBuilder, BoxHasSixOutwardStripsOfFourVerticesWithTextureFrames)
{
    Geometry box;
    GeometryBuilder::box(box, {}, 1, 1, 1, {1, 1, 1}, {1, 1, 1});
    GeometryBuilder::box(box, {1, 2, 3}, 4, 6, 8, {1, 1, 1}, {1, 1, 1});  // replaces the first
    ASSERT_EQ(box.vertexCount, 24);
    const Vector3 center{1, 2, 3}, half{2, 3, 4};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const Vertex* v = box.vertices + 4 * face;
        for (int i = 0; i < 4; ++i) {
            const Vector3 offset = v[i].position - center;
            expectNear({std::fabs(offset.x), std::fabs(offset.y), std::fabs(offset.z)}, half, TOLERANCE);
            EXPECT_GT(offset.dot(v[i].normal), 0.0f) << "the corner lies on the side its normal points to";
            EXPECT_NEAR(v[i].tangent.dot(v[i].normal), 0.0f, TOLERANCE);
        }
        // Both strip triangles wind counter-clockwise seen from outside.
        EXPECT_GT((v[1].position - v[0].position).cross(v[2].position - v[0].position).dot(v[0].normal), 0.0f);
        EXPECT_GT((v[1].position - v[2].position).cross(v[3].position - v[2].position).dot(v[0].normal), 0.0f);
        EXPECT_GT(gradient(v, &Vertex::u).dot(v[0].tangent), 0.0f) << "the tangent points along increasing u";
        EXPECT_GT(gradient(v, &Vertex::v).dot(v[0].binormal), 0.0f) << "the binormal along increasing v";
    }
}

TEST(GeometryBuilder, BoxTextureRepeatsEveryUTexXUnitsWhenOnlyThatIsGivenElseTakesExtentsLiterally)
{
    // A 10 x 4 x 6 box; each face takes one component of the extents: right and
    // left x, top and bottom y, back and front z.
    const struct {
        Vector3 uTex, vTex;
        Face face;
        float u, v;
    } cases[] = {
        {{2, 0, 0}, {}, TOP, 3, 5},   {{2, 0, 0}, {}, FRONT, 5, 2},     {{2, 0, 0}, {}, RIGHT, 3, 2},
        {{2, 0, 0.5f}, {3, 5, 7}, RIGHT, 2, 3}, {{2, 0, 0.5f}, {3, 5, 7}, BOTTOM, 0, 5},
        {{2, 0, 0.5f}, {3, 5, 7}, BACK, 0.5f, 7},
    };
    for (const auto& c : cases) {
        Geometry box;
        GeometryBuilder::box(box, {}, 10, 4, 6, c.uTex, c.vTex);
        EXPECT_FLOAT_EQ(largest(box, c.face, &Vertex::u), c.u) << c.face << " " << c.uTex.x << c.uTex.z;
        EXPECT_FLOAT_EQ(largest(box, c.face, &Vertex::v), c.v) << c.face << " " << c.uTex.x << c.uTex.z;
    }
    // A repeat length of 0 would divide by zero: the zero extents stand.
    Geometry box;
    GeometryBuilder::box(box, {}, 10, 4, 6, {}, {});
    for (int i = 0; i < box.vertexCount; ++i)
        EXPECT_TRUE(box.vertices[i].u == 0.0f && box.vertices[i].v == 0.0f) << i;
}

TEST(GeometryBuilder, SphereVerticesLieOnItWithAnOrthogonalFrameWhateverTheRadiusSign)
{
    Geometry sphere, negative;
    const Vector3 center{5, -2, 1};
    GeometryBuilder::sphere(sphere, 3.0f, 12, center);
    GeometryBuilder::sphere(negative, -3.0f, 12, center);
    ASSERT_GT(sphere.vertexCount, 0);
    ASSERT_EQ(negative.vertexCount, sphere.vertexCount);
    for (int i = 0; i < sphere.vertexCount; ++i) {
        SCOPED_TRACE(i);
        const Vertex& v = sphere.vertices[i];
        expectNear(v.position, center + v.normal * 3.0f, TOLERANCE);
        EXPECT_NEAR(v.normal.length(), 1.0f, TOLERANCE);
        expectUsableTangent(v);
        expectNear(v.binormal, v.normal.cross(v.tangent), TOLERANCE);
        EXPECT_EQ(negative.vertices[i].position, v.position);
    }
}

TEST(GeometryBuilder, QuadTangentFollowsUAndHandednessFollowsTheMapping)
{
    // u along +x and v along +y; then mirrored, u along -x: the tangent turns
    // round and the handedness flips, so binormal * handedness still follows v.
    const float straight[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const float mirrored[4][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}};
    const struct {
        const float (*uv)[2];
        Vector3 tangent, binormal;
        float handedness;
    } cases[] = {{straight, {1, 0, 0}, {0, 1, 0}, 1.0f}, {mirrored, {-1, 0, 0}, {0, -1, 0}, -1.0f}};
    for (const auto& c : cases) {
        Geometry mesh;
        quad(mesh, c.uv);
        GeometryBuilder::meshTangents(mesh);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            expectNear(mesh.vertices[i].tangent, c.tangent, TOLERANCE);
            expectNear(mesh.vertices[i].binormal, c.binormal, TOLERANCE);
            EXPECT_EQ(mesh.vertices[i].handedness, c.handedness);
        }
    }

    // A tilted normal: the tangent is made orthogonal to it.
    Geometry tilted;
    quad(tilted, straight);
    for (int i = 0; i < 4; ++i)
        tilted.vertices[i].normal = Vector3::normalized({1, 0, 1});
    GeometryBuilder::meshTangents(tilted);
    expectNear(tilted.vertices[0].tangent, Vector3::normalized({1, 0, -1}), TOLERANCE);
}

TEST(GeometryBuilder, TrianglesWithoutTextureAreaOrIndicesLeaveUsableTangents)
{
    // The quad's second triangle has no texture area: its own corner gets a
    // usable frame, the corners shared with the first keep theirs.
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {1, 1}};
    Geometry mesh;
    quad(mesh, uv);
    GeometryBuilder::meshTangents(mesh);
    for (int i = 0; i < 3; ++i)
        expectNear(mesh.vertices[i].tangent, {1, 0, 0}, TOLERANCE);
    expectUsableTangent(mesh.vertices[3]);

    // No vertices at all; vertices without indices.
    Geometry empty;
    GeometryBuilder::meshTangents(empty);
    EXPECT_EQ(empty.vertexCount, 0);
    empty.vertexCount = 2;
    empty.vertices = new Vertex[2];
    empty.vertices[1].normal = {0, 0, 1};
    GeometryBuilder::meshTangents(empty);
    for (int i = 0; i < 2; ++i)
        expectUsableTangent(empty.vertices[i]);
}
