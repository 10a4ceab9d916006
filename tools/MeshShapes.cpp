#include "tools/MeshShapes.h"

#include "tools/Noise.h"
#include "tools/ShadeMath.h"

#include <cmath>
#include <functional>
#include <map>
#include <tuple>

using namespace shade;

namespace {

using Surface = std::function<Vector3(float a, float b)>;
using Mapping = std::function<void(float a, float b, const Vector3& position, float& u, float& v)>;

// Appends a grid of (segmentsA + 1) x (segmentsB + 1) vertices sampled from a
// parametric surface, and its triangles to indices. The front faces point along
// dP/da x dP/db; normals come from the same derivatives, so each surface is
// smooth and the edges between surfaces stay sharp.
void addSurface(std::vector<MeshData::Vertex>& vertices, std::vector<std::uint32_t>& indices, int segmentsA,
                int segmentsB, const Surface& surface, const Mapping& mapping)
{
    const auto first = static_cast<std::uint32_t>(vertices.size());
    const float h = 1e-3f;
    for (int j = 0; j <= segmentsB; ++j) {
        for (int i = 0; i <= segmentsA; ++i) {
            const float a = static_cast<float>(i) / segmentsA;
            const float b = static_cast<float>(j) / segmentsB;
            MeshData::Vertex vertex;
            vertex.position = surface(a, b);
            const Vector3 da = surface(std::min(a + h, 1.0f), b) - surface(std::max(a - h, 0.0f), b);
            const Vector3 db = surface(a, std::min(b + h, 1.0f)) - surface(a, std::max(b - h, 0.0f));
            const Vector3 n = da.cross(db);
            vertex.normal = n.length() > 1e-12f ? Vector3::normalized(n) : Vector3(0.0f, 1.0f, 0.0f);
            mapping(a, b, vertex.position, vertex.u, vertex.v);
            vertices.push_back(vertex);
        }
    }
    const auto row = static_cast<std::uint32_t>(segmentsA + 1);
    for (int j = 0; j < segmentsB; ++j) {
        for (int i = 0; i < segmentsA; ++i) {
            const std::uint32_t i00 = first + static_cast<std::uint32_t>(j) * row + static_cast<std::uint32_t>(i);
            const std::uint32_t i10 = i00 + 1;
            const std::uint32_t i01 = i00 + row;
            const std::uint32_t i11 = i01 + 1;
            indices.insert(indices.end(), {i00, i10, i11, i00, i11, i01});
        }
    }
}

// Texture coordinates that follow the parameters: a and b scaled to the
// surface's lengths along them.
Mapping stretched(float lengthA, float lengthB)
{
    return [lengthA, lengthB](float a, float b, const Vector3&, float& u, float& v) {
        u = a * lengthA / MeshShapes::TEXTURE_REPEAT;
        v = b * lengthB / MeshShapes::TEXTURE_REPEAT;
    };
}

// Texture coordinates projected from above (x, z), for terrain-like surfaces.
void fromAbove(float, float, const Vector3& p, float& u, float& v)
{
    u = p.x / MeshShapes::TEXTURE_REPEAT;
    v = p.z / MeshShapes::TEXTURE_REPEAT;
}

// Smooth normals for a triangle soup whose vertices repeat positions: the
// area-weighted face normals of all triangles around one position.
void smoothNormals(std::vector<MeshData::Vertex>& vertices, const std::vector<std::uint32_t>& indices)
{
    std::map<std::tuple<float, float, float>, Vector3> sums;
    auto key = [](const Vector3& p) { return std::make_tuple(p.x, p.y, p.z); };
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const Vector3& p0 = vertices[indices[t]].position;
        const Vector3& p1 = vertices[indices[t + 1]].position;
        const Vector3& p2 = vertices[indices[t + 2]].position;
        const Vector3 n = (p1 - p0).cross(p2 - p0);
        for (int k = 0; k < 3; ++k) {
            sums[key(vertices[indices[t + k]].position)] += n;
        }
    }
    for (MeshData::Vertex& v : vertices) {
        v.normal = Vector3::normalized(sums[key(v.position)]);
    }
}

}  // namespace

MeshData MeshShapes::halfPipe()
{
    constexpr float RADIUS = 18.0f;
    constexpr float THICKNESS = 2.0f;
    constexpr float LENGTH = 80.0f;
    constexpr int ARC = 64;
    // The pipe is straight: rings along it add vertices, not shape.
    constexpr int ALONG = 10;
    MeshData mesh;
    mesh.name = "halfpipe";
    MeshData::SubMesh surface{"surface", true, {}, {}};
    MeshData::SubMesh shell{"shell", true, {}, {}};
    // The lips stand at y = RADIUS; the bottom of the running surface is at y = 0.
    auto section = [](float radius, float a) {
        const float angle = PI + PI * a;  // from the -x lip under the axis to the +x lip
        return Vector3(radius * std::cos(angle), RADIUS + radius * std::sin(angle), 0.0f);
    };
    const float innerArc = PI * RADIUS;
    const float outerArc = PI * (RADIUS + THICKNESS);
    addSurface(mesh.shared, surface.indices, ARC, ALONG,
               [&](float a, float b) { return section(RADIUS, 1.0f - a) + Vector3(0, 0, (b - 0.5f) * LENGTH); },
               stretched(innerArc, LENGTH));
    addSurface(mesh.shared, shell.indices, ARC, ALONG,
               [&](float a, float b) { return section(RADIUS + THICKNESS, a) + Vector3(0, 0, (b - 0.5f) * LENGTH); },
               stretched(outerArc, LENGTH));
    // Flat tops of the two walls.
    for (const float side : {-1.0f, 1.0f}) {
        addSurface(mesh.shared, shell.indices, 2, ALONG,
                   [&](float a, float b) {
                       const float x = side * (RADIUS + THICKNESS * (side > 0 ? 1.0f - a : a));
                       return Vector3(x, RADIUS, (b - 0.5f) * LENGTH);
                   },
                   stretched(THICKNESS, LENGTH));
    }
    // The two ends: half rings between the inner and the outer radius.
    for (const float end : {-1.0f, 1.0f}) {
        addSurface(mesh.shared, shell.indices, ARC, 2,
                   [&](float a, float b) {
                       const float along = end > 0 ? 1.0f - a : a;
                       return section(RADIUS + THICKNESS * b, along) + Vector3(0, 0, end * 0.5f * LENGTH);
                   },
                   stretched(innerArc, THICKNESS));
    }
    mesh.subMeshes = {surface, shell};
    return mesh;
}

MeshData MeshShapes::archBridge()
{
    constexpr float LENGTH = 100.0f;
    constexpr float WIDTH = 24.0f;
    constexpr float RISE = 12.0f;
    constexpr float THICKNESS = 3.0f;
    constexpr float PARAPET_HEIGHT = 2.5f;
    constexpr float PARAPET_WIDTH = 1.5f;
    constexpr int ALONG = 60;
    MeshData mesh;
    mesh.name = "bridge";
    MeshData::SubMesh deck{"deck", false, {}, {}};
    MeshData::SubMesh structure{"structure", false, {}, {}};
    auto top = [](float b) { return RISE * std::cos(PI * (b - 0.5f)); };
    auto z = [](float b) { return (b - 0.5f) * LENGTH; };
    // Arc length of the deck profile, for texture coordinates along the bridge.
    float arc = 0.0f;
    for (int k = 0; k < 200; ++k) {
        const float b0 = k / 200.0f;
        const float b1 = (k + 1) / 200.0f;
        arc += std::hypot(z(b1) - z(b0), top(b1) - top(b0));
    }
    const float inner = WIDTH / 2.0f - PARAPET_WIDTH;
    // The deck between the parapets; flat across, so a few columns do (every
    // frame draws the bridge twice, into the shadow map and the scene).
    addSurface(deck.vertices, deck.indices, 4, ALONG,
               [&](float a, float b) { return Vector3(inner - 2.0f * inner * a, top(b), z(b)); },
               stretched(2.0f * inner, arc));
    // Parapets: inner face, top and outer face on each side, then the slab's underside.
    for (const float side : {-1.0f, 1.0f}) {
        auto profile = [&](float a, float b) {
            // a walks across the parapet: up the inner face, over the top, down the outer face.
            const float s = side > 0 ? 1.0f - a : a;
            float x;
            float y;
            if (s < 1.0f / 3.0f) {
                x = inner;
                y = top(b) + PARAPET_HEIGHT * (s * 3.0f);
            } else if (s < 2.0f / 3.0f) {
                x = inner + PARAPET_WIDTH * (s * 3.0f - 1.0f);
                y = top(b) + PARAPET_HEIGHT;
            } else {
                x = WIDTH / 2.0f;
                y = top(b) + PARAPET_HEIGHT - (PARAPET_HEIGHT + THICKNESS) * (s * 3.0f - 2.0f);
            }
            return Vector3(side * x, y, z(b));
        };
        addSurface(structure.vertices, structure.indices, 3 * 4, ALONG, profile,
                   stretched(2.0f * PARAPET_HEIGHT + PARAPET_WIDTH + THICKNESS, arc));
    }
    addSurface(structure.vertices, structure.indices, 2, ALONG,
               [&](float a, float b) { return Vector3(-WIDTH / 2.0f + WIDTH * a, top(b) - THICKNESS, z(b)); },
               stretched(WIDTH, arc));
    // The two end faces of slab and parapets.
    for (const float end : {0.0f, 1.0f}) {
        addSurface(structure.vertices, structure.indices, 12, 2,
                   [&](float a, float b) {
                       const float x = (end > 0.5f ? 1.0f : -1.0f) * (-WIDTH / 2.0f + WIDTH * a);
                       const float height = std::fabs(x) > inner ? PARAPET_HEIGHT : 0.0f;
                       return Vector3(x, top(end) - THICKNESS + (THICKNESS + height) * b, z(end));
                   },
                   stretched(WIDTH, THICKNESS + PARAPET_HEIGHT));
    }
    mesh.subMeshes = {deck, structure};
    return mesh;
}

MeshData MeshShapes::treeTrunk()
{
    constexpr float HEIGHT = 90.0f;
    constexpr float RADIUS = 6.0f;
    constexpr int AROUND = 60;
    // Rings crowd towards the ground, where the roots flare, and thin out up
    // the plain upper trunk.
    constexpr int UP = 20;
    constexpr float RING_CROWDING = 1.7f;
    // Repeats of the texture around the trunk: an integer, so the seam line matches.
    constexpr float AROUND_REPEATS = 3.0f;
    MeshData mesh;
    mesh.name = "trunk";
    MeshData::SubMesh bark{"bark", false, {}, {}};
    auto radiusAt = [](float angle, float height) {
        // Five buttress roots that flare out near the ground, a slow taper, bark bumps.
        const float roots = std::pow(std::max(0.0f, std::cos(2.5f * angle + 0.4f)), 6.0f) +
                            0.6f * std::pow(std::max(0.0f, std::cos(2.5f * angle + 2.0f)), 8.0f);
        const float flare = 2.6f * std::exp(-height / 9.0f);
        const float taper = 1.0f - 0.35f * (height / HEIGHT);
        const float bumps = 0.06f * Noise::gradient(Vector3(std::cos(angle) * 2.0f, height * 0.08f, std::sin(angle) * 2.0f), 7u);
        return RADIUS * (taper + flare * roots + bumps);
    };
    auto centreAt = [](float height) {
        // A gentle lean, as trees reaching for light grow.
        const float t = height / HEIGHT;
        return Vector3(6.0f * t * t, 0.0f, -2.0f * t);
    };
    auto side = [&](float a, float b) {
        const float angle = -TWO_PI * a;  // clockwise seen from above, so the faces point outwards
        const float height = HEIGHT * std::pow(b, RING_CROWDING);
        const float r = radiusAt(angle, height);
        return centreAt(height) + Vector3(r * std::cos(angle), height, r * std::sin(angle));
    };
    addSurface(bark.vertices, bark.indices, AROUND, UP, side,
               [&](float a, float b, const Vector3&, float& u, float& v) {
                   u = a * AROUND_REPEATS;
                   v = HEIGHT * std::pow(b, RING_CROWDING) / TEXTURE_REPEAT;
               });
    // The broken top: a disc, rings walking in to the middle.
    addSurface(bark.vertices, bark.indices, AROUND, 4,
               [&](float a, float b) {
                   const float angle = -TWO_PI * a;
                   const float r = radiusAt(angle, HEIGHT) * (1.0f - 0.97f * b);
                   return centreAt(HEIGHT) + Vector3(r * std::cos(angle), HEIGHT + 1.5f * b, r * std::sin(angle));
               },
               fromAbove);
    mesh.subMeshes = {bark};
    return mesh;
}

MeshData MeshShapes::rock()
{
    constexpr float SIZE = 12.0f;
    // An icosahedron subdivided three times: even triangles all over the sphere,
    // 1280 of them, finer than the boulder shows at any distance on a course.
    std::vector<Vector3> points;
    std::vector<std::uint32_t> triangles;
    const float g = (1.0f + std::sqrt(5.0f)) / 2.0f;
    for (const Vector3& p : {Vector3(-1, g, 0), Vector3(1, g, 0), Vector3(-1, -g, 0), Vector3(1, -g, 0),
                             Vector3(0, -1, g), Vector3(0, 1, g), Vector3(0, -1, -g), Vector3(0, 1, -g),
                             Vector3(g, 0, -1), Vector3(g, 0, 1), Vector3(-g, 0, -1), Vector3(-g, 0, 1)}) {
        points.push_back(Vector3::normalized(p));
    }
    triangles = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4, 11, 10, 2, 10, 7, 6, 7, 1, 8,
                 3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8, 3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (int level = 0; level < 3; ++level) {
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> middles;
        auto middle = [&](std::uint32_t a, std::uint32_t b) {
            const auto edge = std::make_pair(std::min(a, b), std::max(a, b));
            const auto found = middles.find(edge);
            if (found != middles.end()) {
                return found->second;
            }
            points.push_back(Vector3::normalized(points[a] + points[b]));
            const auto index = static_cast<std::uint32_t>(points.size() - 1);
            middles[edge] = index;
            return index;
        };
        std::vector<std::uint32_t> finer;
        for (std::size_t t = 0; t < triangles.size(); t += 3) {
            const std::uint32_t a = triangles[t];
            const std::uint32_t b = triangles[t + 1];
            const std::uint32_t c = triangles[t + 2];
            const std::uint32_t ab = middle(a, b);
            const std::uint32_t bc = middle(b, c);
            const std::uint32_t ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        triangles = finer;
    }
    // Craggy displacement: ridged noise for facets, a squashed, flat-bottomed shape.
    for (Vector3& p : points) {
        const float ridges = 1.0f - std::fabs(Noise::fbm(p * 1.6f, 4, 17u));
        const float lumps = Noise::fbm(p * 0.8f, 3, 18u);
        const float r = SIZE * (0.85f + 0.25f * lumps + 0.18f * ridges * ridges);
        p = Vector3(p.x * r * 1.15f, p.y * r * 0.75f, p.z * r);
        p.y = std::max(p.y, -SIZE * 0.35f);
        p.y += SIZE * 0.35f;
    }
    // Each triangle takes its texture coordinates from the axis plane it faces most,
    // so vertices are repeated per triangle; the normals are smoothed over positions.
    MeshData mesh;
    mesh.name = "rock";
    MeshData::SubMesh stone{"stone", false, {}, {}};
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        const Vector3& p0 = points[triangles[t]];
        const Vector3 n = (points[triangles[t + 1]] - p0).cross(points[triangles[t + 2]] - p0);
        const float ax = std::fabs(n.x);
        const float ay = std::fabs(n.y);
        const float az = std::fabs(n.z);
        for (int k = 0; k < 3; ++k) {
            MeshData::Vertex v;
            v.position = points[triangles[t + k]];
            if (ax >= ay && ax >= az) {
                v.u = v.position.z / TEXTURE_REPEAT;
                v.v = v.position.y / TEXTURE_REPEAT;
            } else if (ay >= az) {
                v.u = v.position.x / TEXTURE_REPEAT;
                v.v = v.position.z / TEXTURE_REPEAT;
            } else {
                v.u = v.position.x / TEXTURE_REPEAT;
                v.v = v.position.y / TEXTURE_REPEAT;
            }
            stone.indices.push_back(static_cast<std::uint32_t>(stone.vertices.size()));
            stone.vertices.push_back(v);
        }
    }
    smoothNormals(stone.vertices, stone.indices);
    mesh.subMeshes = {stone};
    return mesh;
}

MeshData MeshShapes::crater()
{
    constexpr float BASE_RADIUS = 120.0f;
    constexpr float RIM_RADIUS = 30.0f;
    constexpr float RIM_HEIGHT = 40.0f;
    constexpr float FLOOR_HEIGHT = 22.0f;
    constexpr float CORE_RADIUS = 1.0f;
    // About three units between rings and between neighbours on the rim, enough
    // for the gullies and the ragged edge; 5k triangles for the whole volcano,
    // which every frame draws twice (shadow map and scene) and which fills most
    // of the shadow map.
    constexpr int RINGS = 36;
    constexpr int AROUND = 72;
    MeshData mesh;
    mesh.name = "crater";
    MeshData::SubMesh inside{"crater", true, {}, {}};
    MeshData::SubMesh slopes{"slopes", true, {}, {}};
    auto heightAt = [](float r, float angle) {
        float y;
        if (r < RIM_RADIUS) {
            const float t = r / RIM_RADIUS;
            y = FLOOR_HEIGHT + (RIM_HEIGHT - FLOOR_HEIGHT) * t * t * t;
        } else {
            const float t = (r - RIM_RADIUS) / (BASE_RADIUS - RIM_RADIUS);
            y = RIM_HEIGHT * std::pow(1.0f - t, 1.7f);
        }
        // Gullies run down the flanks; the rim is ragged.
        const Vector3 p(std::cos(angle) * r * 0.05f, 0.0f, std::sin(angle) * r * 0.05f);
        const float gullies = 1.0f - std::fabs(Noise::gradient(Vector3(std::cos(angle) * 6.0f, r * 0.01f, std::sin(angle) * 6.0f), 27u));
        const float rough = Noise::fbm(p, 4, 28u);
        const float edge = std::min(1.0f, r / 10.0f) * std::min(1.0f, (BASE_RADIUS - r) / 10.0f);
        return y + edge * (2.5f * rough - 1.5f * gullies * gullies * std::min(1.0f, std::fabs(r - RIM_RADIUS) / 20.0f));
    };
    // One polar grid from a small core ring to the base; the rings inside the rim
    // belong to the crater, the others to the slopes.
    auto radiusOf = [](float b) { return CORE_RADIUS + (BASE_RADIUS - CORE_RADIUS) * b; };
    std::vector<std::uint32_t> all;
    addSurface(mesh.shared, all, AROUND, RINGS,
               [&](float a, float b) {
                   const float angle = TWO_PI * a;
                   const float r = radiusOf(b);
                   return Vector3(r * std::cos(angle), heightAt(r, angle), r * std::sin(angle));
               },
               fromAbove);
    const std::size_t perRing = static_cast<std::size_t>(AROUND) * 6;
    const int rimRing = static_cast<int>((RIM_RADIUS - CORE_RADIUS) / (BASE_RADIUS - CORE_RADIUS) * RINGS);
    inside.indices.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(perRing * rimRing));
    slopes.indices.assign(all.begin() + static_cast<std::ptrdiff_t>(perRing * rimRing), all.end());
    // Close the core with a fan around a centre vertex.
    MeshData::Vertex centre;
    centre.position = Vector3(0.0f, heightAt(0.0f, 0.0f), 0.0f);
    centre.normal = Vector3(0.0f, 1.0f, 0.0f);
    const auto centreIndex = static_cast<std::uint32_t>(mesh.shared.size());
    mesh.shared.push_back(centre);
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(AROUND); ++i) {
        inside.indices.insert(inside.indices.end(), {centreIndex, i + 1, i});
    }
    mesh.subMeshes = {inside, slopes};
    return mesh;
}
