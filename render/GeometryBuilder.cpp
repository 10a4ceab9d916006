#include "render/GeometryBuilder.h"

#include "math/MathConstants.h"

#include <cassert>
#include <cmath>
#include <vector>

namespace {

// v scaled to length 1, or fallback when v has no usable length.
Vector3 normalizedOr(const Vector3& v, const Vector3& fallback)
{
    const float length = v.length();
    if (!(length > 1e-20f) || !std::isfinite(length))
        return fallback;
    return v * (1.0f / length);
}

// Some unit vector perpendicular to n (any unit vector when n is zero).
Vector3 perpendicular(const Vector3& n)
{
    const Vector3 axis = std::fabs(n.x) < 0.9f ? Vector3(1.0f, 0.0f, 0.0f) : Vector3(0.0f, 1.0f, 0.0f);
    return normalizedOr(axis - n * n.dot(axis), Vector3(1.0f, 0.0f, 0.0f));
}

void replaceVertices(MeshGeometry& geometry, int count)
{
    delete[] geometry.vertices;
    geometry.vertices = new Vertex[count]();  // zero-filled
    geometry.vertexCount = count;
}

// One face of the box: its frame and, per vertex, the corner signs and whether
// u and v take the face's extent or 0.
struct BoxCorner {
    float sx, sy, sz;
    bool fullU, fullV;
};

struct BoxFace {
    Vector3 normal, tangent, binormal;
    int extent;  // component of the U and V extents used by this face
    BoxCorner corners[4];
};

const BoxFace BOX_FACES[6] = {
    // top
    {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 1,
     {{+1, +1, +1, true, true}, {+1, +1, -1, false, true}, {-1, +1, +1, true, false}, {-1, +1, -1, false, false}}},
    // back
    {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}, 2,
     {{+1, +1, -1, false, false}, {+1, -1, -1, false, true}, {-1, +1, -1, true, false}, {-1, -1, -1, true, true}}},
    // right
    {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}, 0,
     {{+1, +1, +1, false, false}, {+1, -1, +1, false, true}, {+1, +1, -1, true, false}, {+1, -1, -1, true, true}}},
    // front
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, 2,
     {{-1, +1, +1, false, false}, {-1, -1, +1, false, true}, {+1, +1, +1, true, false}, {+1, -1, +1, true, true}}},
    // left
    {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, 0,
     {{-1, +1, -1, false, false}, {-1, -1, -1, false, true}, {-1, +1, +1, true, false}, {-1, -1, +1, true, true}}},
    // bottom
    {{0, -1, 0}, {0, 0, -1}, {-1, 0, 0}, 1,
     {{-1, -1, +1, false, true}, {-1, -1, -1, true, true}, {+1, -1, +1, false, false}, {+1, -1, -1, true, false}}},
};

float component(const Vector3& v, int i)
{
    return i == 0 ? v.x : (i == 1 ? v.y : v.z);
}

}  // namespace

void GeometryBuilder::boxTextureExtents(float width, float height, float depth, const Vector3& uTex,
                                        const Vector3& vTex, Vector3& u, Vector3& v)
{
    // A zero repeat length would make every coordinate infinite: such a box takes
    // its (zero) extents literally instead.
    const bool repeatOnly = uTex.y == 0.0f && uTex.z == 0.0f && vTex == Vector3() && uTex.x != 0.0f;
    if (!repeatOnly) {
        u = uTex;
        v = vTex;
        return;
    }
    const float s = 1.0f / uTex.x;
    u = {s * depth, s * depth, s * width};
    v = {s * height, s * width, s * height};
}

void GeometryBuilder::box(MeshGeometry& geometry, const Vector3& center, float width, float height, float depth,
                          const Vector3& uTex, const Vector3& vTex)
{
    Vector3 u, v;
    boxTextureExtents(width, height, depth, uTex, vTex, u, v);
    const Vector3 half{width / 2.0f, height / 2.0f, depth / 2.0f};

    replaceVertices(geometry, BOX_VERTEX_COUNT);
    Vertex* out = geometry.vertices;
    for (const BoxFace& face : BOX_FACES) {
        for (const BoxCorner& corner : face.corners) {
            out->u = corner.fullU ? component(u, face.extent) : 0.0f;
            out->v = corner.fullV ? component(v, face.extent) : 0.0f;
            out->tangent = face.tangent;
            out->binormal = face.binormal;
            out->handedness = 1.0f;
            out->normal = face.normal;
            out->position = center + Vector3(corner.sx * half.x, corner.sy * half.y, corner.sz * half.z);
            ++out;
        }
    }
}

int GeometryBuilder::spherePrecision(int precision)
{
    if (precision < MIN_SPHERE_PRECISION)
        return MIN_SPHERE_PRECISION;
    return precision > MAX_SPHERE_PRECISION ? MAX_SPHERE_PRECISION : precision;
}

int GeometryBuilder::sphereVertexCount(int precision)
{
    return (precision / 2) * (precision + 1) * 2;
}

void GeometryBuilder::sphere(MeshGeometry& geometry, float radius, int precision, const Vector3& center)
{
    assert(precision == spherePrecision(precision));
    const float r = std::fabs(radius);
    const int n = precision;
    replaceVertices(geometry, sphereVertexCount(n));

    Vertex* out = geometry.vertices;
    const auto emit = [&out, &center, r](float theta, float phi, float u, float v) {
        const Vector3 e{std::cos(theta) * std::cos(phi), std::sin(theta), std::cos(theta) * std::sin(phi)};
        out->u = u;
        out->v = v;
        out->tangent = normalizedOr(Vector3(e.z, 0.0f, -e.x), Vector3(1.0f, 0.0f, 0.0f));
        out->binormal = e.cross(out->tangent);
        out->handedness = 1.0f;
        out->normal = e;
        out->position = center + e * r;
        ++out;
    };
    const float fn = static_cast<float>(n);
    for (int j = 0; j < n / 2; ++j) {
        const float theta1 = static_cast<float>(j) * TWO_PI / fn - HALF_PI;
        const float theta2 = static_cast<float>(j + 1) * TWO_PI / fn - HALF_PI;
        for (int i = 0; i <= n; ++i) {
            const float phi = static_cast<float>(i) * TWO_PI / fn;
            const float u = -(static_cast<float>(i) / fn);
            emit(theta1, phi, u, static_cast<float>(2 * j) / fn);
            emit(theta2, phi, u, static_cast<float>(2 * j + 2) / fn);
        }
    }
}

void GeometryBuilder::meshTangents(MeshGeometry& geometry)
{
    const int count = geometry.vertexCount;
    if (count <= 0 || !geometry.vertices)
        return;
    std::vector<Vector3> tan1(static_cast<std::size_t>(count)), tan2(static_cast<std::size_t>(count));
    Vertex* vertices = geometry.vertices;

    const int triangles = geometry.indices ? geometry.indexCount / 3 : 0;
    for (int k = 0; k < triangles; ++k) {
        const std::uint32_t i[3] = {geometry.indices[3 * k], geometry.indices[3 * k + 1], geometry.indices[3 * k + 2]};
        if (i[0] >= std::uint32_t(count) || i[1] >= std::uint32_t(count) || i[2] >= std::uint32_t(count))
            continue;  // the importer checks indices; this keeps a bad array from reading out of bounds
        const Vertex& a = vertices[i[0]];
        const Vertex& b = vertices[i[1]];
        const Vertex& c = vertices[i[2]];
        const Vector3 e1 = b.position - a.position;
        const Vector3 e2 = c.position - a.position;
        const float s1 = b.u - a.u, s2 = c.u - a.u;
        const float t1 = b.v - a.v, t2 = c.v - a.v;
        const float area = s1 * t2 - s2 * t1;
        if (area == 0.0f || !std::isfinite(1.0f / area))
            continue;  // texture coordinates span no area: no direction to learn
        const float r = 1.0f / area;
        const Vector3 sdir = (e1 * t2 - e2 * t1) * r;
        const Vector3 tdir = (e2 * s1 - e1 * s2) * r;
        for (const std::uint32_t index : i) {
            tan1[index] += sdir;
            tan2[index] += tdir;
        }
    }

    for (int k = 0; k < count; ++k) {
        Vertex& vertex = vertices[k];
        const Vector3& n = vertex.normal;
        const Vector3& t = tan1[static_cast<std::size_t>(k)];
        vertex.tangent = normalizedOr(t - n * n.dot(t), perpendicular(n));
        // normal x tangent, so that binormal * handedness follows increasing v as
        // on boxes and spheres; the shader reads every normal map that way.
        vertex.binormal = n.cross(vertex.tangent);
        vertex.handedness = n.cross(t).dot(tan2[static_cast<std::size_t>(k)]) < 0.0f ? -1.0f : 1.0f;
    }
}
