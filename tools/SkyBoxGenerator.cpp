#include "tools/SkyBoxGenerator.h"

#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/Rng.h"
#include "tools/ShadeMath.h"

#include <cassert>
#include <cmath>
#include <vector>

using namespace shade;

namespace {

Vector3 unit(float x, float y, float z)
{
    return Vector3::normalized(Vector3(x, y, z));
}

// A point on a circle of the given radius around the vertical axis, for
// noise that must join up all the way round the horizon.
Vector3 ring(const Vector3& d, float radius, float height)
{
    const float horizontal = std::sqrt(d.x * d.x + d.z * d.z) + 1e-6f;
    return Vector3(d.x / horizontal * radius, height, d.z / horizontal * radius);
}

// Cloud layer coordinates: where the view ray meets a plane above the eye.
Vector3 cloudPlane(const Vector3& d, float scale)
{
    const float k = scale / (d.y + 0.1f);
    return Vector3(d.x * k, d.z * k, 0.0f);
}

Colour sunGlow(const Vector3& d, const Vector3& sun, const Colour& colour, float disk, float halo)
{
    const float mu = std::max(0.0f, d.dot(sun));
    const float core = smoothstep(std::cos(disk * 1.6f), std::cos(disk), mu);
    return colour.scaled(core + halo * std::pow(mu, 24.0f) + 0.35f * halo * std::pow(mu, 4.0f));
}

// ---- Jungle: bright morning sky, heaped clouds, a hazy canopy on the horizon.

// One row of tree crowns around the horizon: ellipses in (azimuth, height)
// space, binned by azimuth so a lookup sees only the crowns that can cover it.
class CanopyLayer {
public:
    struct Crown {
        float azimuth;  // radians
        float centre;   // height of the centre, as the y of a view direction
        float width;    // half width, radians
        float height;   // half height
        float depth;    // larger is nearer and covers smaller values
    };
    // Where a view direction meets the layer.
    struct Hit {
        const Crown* crown = nullptr;
        float nx = 0.0f;  // position inside the crown's ellipse, -1..1
        float ny = 0.0f;
    };

    CanopyLayer(int count, float minWidth, float maxWidth, float aspect, float low, float high, std::uint64_t seed)
        : bins(BIN_COUNT)
    {
        Rng rng(seed);
        crowns.resize(static_cast<std::size_t>(count));
        for (Crown& c : crowns) {
            c.azimuth = rng.range(0.0f, TWO_PI);
            c.width = rng.range(minWidth, maxWidth);
            c.height = c.width * aspect * rng.range(0.7f, 1.2f);
            c.centre = rng.range(low, high);
            // Lower crowns stand nearer and hide the ones behind and above them.
            c.depth = -c.centre + 0.01f * rng.uniform();
        }
        for (std::size_t i = 0; i < crowns.size(); ++i) {
            const Crown& c = crowns[i];
            const int first = static_cast<int>(std::floor((c.azimuth - c.width) / TWO_PI * BIN_COUNT));
            const int last = static_cast<int>(std::floor((c.azimuth + c.width) / TWO_PI * BIN_COUNT));
            for (int b = first; b <= last; ++b) {
                bins[static_cast<std::size_t>((b % BIN_COUNT + BIN_COUNT) % BIN_COUNT)].push_back(i);
            }
        }
    }

    Hit find(float azimuth, float y) const
    {
        Hit hit;
        const int bin = static_cast<int>(azimuth / TWO_PI * BIN_COUNT);
        for (const std::size_t i : bins[static_cast<std::size_t>((bin % BIN_COUNT + BIN_COUNT) % BIN_COUNT)]) {
            const Crown& c = crowns[i];
            float da = azimuth - c.azimuth;
            da -= TWO_PI * std::round(da / TWO_PI);
            const float nx = da / c.width;
            const float ny = (y - c.centre) / c.height;
            if (nx * nx + ny * ny < 1.0f &&
                (hit.crown == nullptr || c.depth > hit.crown->depth)) {
                hit.crown = &c;
                hit.nx = nx;
                hit.ny = ny;
            }
        }
        return hit;
    }

private:
    static constexpr int BIN_COUNT = 720;
    std::vector<Crown> crowns;
    std::vector<std::vector<std::size_t>> bins;
};

// Light from the upper left on a crown: rounded top, leaf clumps in the mass.
float crownShade(const CanopyLayer::Hit& hit, float clumps)
{
    const float nz = std::sqrt(std::max(0.0f, 1.0f - hit.nx * hit.nx - hit.ny * hit.ny));
    const float light = clamp01(0.3f + 0.45f * hit.ny - 0.2f * hit.nx + 0.3f * nz);
    return (0.55f + 0.6f * light) * (0.8f + 0.35f * clumps);
}

Colour jungle(const Vector3& d)
{
    static const CanopyLayer farLayer(900, 0.02f, 0.05f, 0.55f, -0.01f, 0.05f, 21u);
    static const CanopyLayer nearLayer(1600, 0.04f, 0.11f, 0.6f, -0.25f, 0.04f, 31u);
    const Colour zenith(0.16f, 0.40f, 0.80f);
    const Colour horizon(0.72f, 0.85f, 0.93f);
    const Colour haze(0.66f, 0.78f, 0.80f);
    const Vector3 sun = unit(0.1f, 0.62f, -0.78f);
    const float up = std::max(d.y, 0.0f);
    Colour c = Colour::mix(horizon, zenith, std::pow(up, 0.55f));
    c = c + sunGlow(d, sun, Colour(1.0f, 0.95f, 0.8f), 0.012f, 0.35f);

    if (d.y > 0.0f) {
        const Vector3 p = cloudPlane(d, 1.2f);
        const Vector3 warp(Noise::fbm(p * 0.8f, 3, 11u), Noise::fbm(p * 0.8f, 3, 12u), 0.0f);
        const Vector3 q = p + warp * 0.6f;
        const float density = Noise::fbm(q, 6, 13u, 0.55f);
        const float cover = smoothstep(0.0f, 0.35f, density + 0.05f);
        // Thick parts are darker underneath; the sunward side is brighter.
        const float thickness = smoothstep(0.1f, 0.6f, density);
        const float toSun = Noise::fbm(q + Vector3(0.08f, -0.1f, 0.0f), 6, 13u, 0.55f);
        const float lit = clamp01(0.75f + 2.5f * (density - toSun));
        const Colour cloud = Colour::mix(Colour(0.98f, 0.98f, 0.96f), Colour(0.60f, 0.66f, 0.74f), thickness * 0.7f)
                                 .scaled(0.8f + 0.25f * lit);
        const float distanceFade = smoothstep(0.02f, 0.3f, d.y);
        c = Colour::mix(c, cloud, cover * distanceFade);
        c = Colour::mix(c, horizon, (1.0f - distanceFade) * 0.3f * cover);
    }

    // Two rows of crowns: a far one, pale with haze, and a nearer, darker one.
    float azimuth = std::atan2(d.z, d.x);
    if (azimuth < 0.0f) {
        azimuth += TWO_PI;
    }
    const float clumps = Noise::fbm(d * 60.0f, 3, 41u);
    const CanopyLayer::Hit far = farLayer.find(azimuth, d.y);
    if (far.crown != nullptr || d.y < -0.01f) {
        const float shade = far.crown != nullptr ? crownShade(far, clumps) : 0.6f;
        c = Colour::mix(Colour(0.18f, 0.34f, 0.16f).scaled(shade), haze, 0.55f);
    }
    const CanopyLayer::Hit near = nearLayer.find(azimuth, d.y);
    if (near.crown != nullptr || d.y < -0.2f) {
        const float shade = near.crown != nullptr ? crownShade(near, clumps) : 0.45f + 0.2f * clumps;
        // The higher a crown stands in view, the farther it is and the more haze lies in front.
        const float hazeAmount = 0.35f * smoothstep(-0.2f, 0.04f, near.crown != nullptr ? near.crown->centre : -0.3f);
        c = Colour::mix(Colour(0.11f, 0.27f, 0.07f).scaled(shade), haze, 0.1f + hazeAmount);
    }
    if (d.y < 0.0f) {
        // Deep under the canopy: dark green shade down to the forest floor.
        const Colour floor(0.05f, 0.09f, 0.035f);
        c = Colour::mix(c, floor.scaled(0.8f + 0.4f * clumps), smoothstep(0.15f, 0.6f, -d.y));
    }
    return c;
}

// ---- Volcano: smoke-filled dark red sky lit from below, an erupting cone, ash.

Colour volcano(const Vector3& d)
{
    const Colour glowHorizon(1.0f, 0.42f, 0.12f);
    const Colour darkZenith(0.22f, 0.07f, 0.04f);
    const float up = std::max(d.y, 0.0f);
    const float glow = std::exp(-up * 6.0f);
    Colour c = Colour::mix(darkZenith, glowHorizon, glow * 0.9f);

    // Smoke: heavy, warped billows. Thin smoke lets the glow through; thick
    // smoke is dark with edges lit orange from the fires below.
    const Vector3 p = cloudPlane(d, 0.9f);
    const Vector3 warp(Noise::fbm(p * 0.7f, 4, 51u), Noise::fbm(p * 0.7f, 4, 52u), 0.0f);
    const Vector3 q = p + warp * 1.2f;
    const float smoke = Noise::fbm(q, 6, 53u, 0.55f);
    const float below = Noise::fbm(q * 1.04f, 6, 53u, 0.55f);
    const float thick = smoothstep(-0.3f, 0.25f, smoke);
    const float rim = clamp01((smoke - below) * 6.0f + 0.3f);
    const Colour smokeDark(0.035f, 0.022f, 0.02f);
    const Colour smokeLit = Colour(0.85f, 0.28f, 0.07f).scaled(0.35f + 0.65f * glow);
    const Colour smokeColour = Colour::mix(smokeLit, smokeDark, thick * (0.55f + 0.45f * rim));
    c = Colour::mix(c, smokeColour, (0.35f + 0.6f * thick) * smoothstep(-0.02f, 0.1f, d.y));

    // The mountains: jagged ridges all round and one big cone to the north-west.
    const Vector3 h = ring(d, 6.0f, 0.0f);
    float ridge = 0.0f;
    float amplitude = 1.0f;
    Vector3 r = h;
    for (int i = 0; i < 5; ++i) {
        ridge += amplitude * (1.0f - std::fabs(Noise::gradient(r, 61u + i)));
        amplitude *= 0.5f;
        r = r * 2.0f;
    }
    float line = 0.0f + 0.09f * (ridge / 1.9f) * (ridge / 1.9f);
    const Vector3 coneDirection = unit(-0.6f, 0.0f, -0.8f);
    const float horizontal = std::sqrt(d.x * d.x + d.z * d.z) + 1e-6f;
    const float alongCone = (d.x * coneDirection.x + d.z * coneDirection.z) / horizontal;
    const float angle = std::acos(std::min(1.0f, alongCone));
    const float craterHeight = 0.26f;
    const float flank = craterHeight + 0.06f - 0.55f * angle + 0.01f * Noise::gradient(Vector3(angle * 30.0f, 0.0f, 2.0f), 62u);
    const float cone = std::min(flank, craterHeight + 0.012f * std::cos(angle * 40.0f));
    line = std::max(line, cone);

    // The plume billows up from the crater, glowing at its root.
    if (angle < 0.9f && d.y > craterHeight - 0.03f) {
        const float rise = d.y - craterHeight;
        const float width = 0.1f + 0.6f * rise;
        const float sway = 0.1f * rise * Noise::gradient(Vector3(0.0f, rise * 3.0f, 5.0f), 72u);
        const float billow = Noise::fbm(Vector3((angle + sway) * 7.0f, rise * 5.0f, 0.5f), 5, 71u);
        const float plume = smoothstep(width, width * 0.4f, angle + 0.05f * billow) * smoothstep(-0.35f, 0.1f, billow) *
                            smoothstep(0.65f, 0.3f, rise);
        const float heat = std::exp(-rise * 7.0f);
        const Colour plumeColour = Colour::mix(Colour(0.10f, 0.05f, 0.04f), Colour(1.0f, 0.55f, 0.15f), heat)
                                       .scaled(0.8f + 0.4f * billow);
        c = Colour::mix(c, plumeColour, 0.95f * plume);
    }
    if (d.y < line) {
        const float depthBelow = clamp01((line - d.y) * 10.0f);
        Colour rock = Colour::mix(Colour(0.20f, 0.08f, 0.05f), Colour(0.05f, 0.03f, 0.025f), depthBelow);
        // The crater's rim glows where lava wells over it.
        if (angle < 0.12f) {
            const float rimGlow = smoothstep(0.12f, 0.02f, angle) * smoothstep(line - 0.03f, line, d.y);
            rock = Colour::mix(rock, Colour(1.0f, 0.45f, 0.1f), 0.8f * rimGlow);
        }
        c = rock;
    }
    if (d.y < 0.0f) {
        // The plain below: dark, with glowing lava channels that fade into the haze.
        const Vector3 g = Vector3(d.x, d.z, 0.0f) * (1.0f / (-d.y + 0.05f));
        const float channels = std::pow(1.0f - std::fabs(Noise::fbm(g * 0.35f, 4, 91u)), 60.0f);
        const float rubble = Noise::fbm(g * 3.0f, 4, 92u);
        const Colour ground = Colour::mix(Colour(0.20f, 0.07f, 0.04f), Colour(0.06f, 0.03f, 0.025f),
                                          smoothstep(0.0f, 0.5f, -d.y));
        c = Colour::mix(c, ground.scaled(0.8f + 0.4f * rubble), smoothstep(0.0f, 0.02f, -d.y));
        c = c + Colour(1.0f, 0.35f, 0.05f).scaled(0.7f * channels * smoothstep(0.02f, 0.2f, -d.y));
    }
    if (d.y < line) {
        // Glowing haze over the far plain and the mountains' feet alike: haze on
        // the plain alone cut a hard line along the horizon under every ridge.
        c = Colour::mix(c, glowHorizon.scaled(0.5f), 0.5f * (1.0f - smoothstep(0.0f, 0.05f, std::fabs(d.y))));
    }

    // Ash: small grey flakes everywhere, a few still glowing.
    std::uint32_t id = 0;
    const float flake = Noise::worleyF1(d * 90.0f, 101u, &id);
    const float flakeMask = (id % 3u == 0u) ? 1.0f - smoothstep(0.05f, 0.13f, flake) : 0.0f;
    const Colour flakeColour = (id % 17u == 0u) ? Colour(1.0f, 0.55f, 0.15f) : Colour(0.45f, 0.40f, 0.38f);
    c = Colour::mix(c, flakeColour, 0.7f * flakeMask);
    return c;
}

// ---- Lagoon: deep tropical blue, a high sun, fair-weather clouds, open sea.

Colour lagoon(const Vector3& d)
{
    const Colour zenith(0.08f, 0.32f, 0.78f);
    const Colour horizon(0.60f, 0.84f, 0.96f);
    const Vector3 sun = unit(0.55f, 0.62f, 0.35f);
    const float up = std::max(d.y, 0.0f);
    Colour c = Colour::mix(horizon, zenith, std::pow(up, 0.45f));

    if (d.y > 0.0f) {
        // Small heaped clouds low over the sea, thin streaks higher up.
        const Vector3 p = cloudPlane(d, 1.5f);
        const float puffs = Noise::fbm(p + Vector3(3.1f, 1.7f, 0.0f), 6, 111u, 0.5f);
        const float cover = smoothstep(0.18f, 0.4f, puffs) * smoothstep(0.01f, 0.08f, d.y) *
                            (1.0f - smoothstep(0.25f, 0.6f, d.y));
        const float shade = smoothstep(0.18f, 0.6f, puffs);
        c = Colour::mix(c, Colour::mix(Colour(1.0f, 1.0f, 0.98f), Colour(0.72f, 0.78f, 0.86f), 0.6f * shade), cover);
        const Vector3 streak(p.x * 0.4f, p.y * 3.0f, 0.0f);
        const float cirrus = smoothstep(0.2f, 0.6f, Noise::fbm(streak, 5, 121u)) * smoothstep(0.3f, 0.7f, d.y);
        c = Colour::mix(c, Colour(0.95f, 0.97f, 1.0f), 0.3f * cirrus);
    }
    c = c + sunGlow(d, sun, Colour(1.0f, 0.97f, 0.88f), 0.02f, 0.45f);

    // A low island far away to the south.
    const float horizontal = std::sqrt(d.x * d.x + d.z * d.z) + 1e-6f;
    const Vector3 islandDirection = unit(0.2f, 0.0f, 1.0f);
    const float angle = std::acos(std::min(1.0f, (d.x * islandDirection.x + d.z * islandDirection.z) / horizontal));
    const float hill = 0.025f * std::max(0.0f, 1.0f - (angle / 0.18f) * (angle / 0.18f));
    const float trees = hill > 0.0f ? 0.006f * (1.0f - std::fabs(Noise::gradient(ring(d, 120.0f, 0.0f), 131u))) : 0.0f;
    if (d.y >= 0.0f && d.y < hill + trees) {
        c = Colour::mix(Colour(0.22f, 0.38f, 0.36f), horizon, 0.45f);
    }

    if (d.y < 0.0f) {
        // The sea: the sky's reflection strongest at grazing angles, deep blue below.
        const float down = -d.y;
        const float fresnel = std::pow(1.0f - down, 5.0f);
        const Vector3 g = Vector3(d.x, d.z, 0.0f) * (1.0f / (down + 0.02f));
        const float waves = Noise::fbm(Vector3(g.x * 2.0f, g.y * 0.7f, 0.0f), 5, 141u);
        const Colour deep(0.02f, 0.20f, 0.38f);
        const Colour shallow(0.05f, 0.45f, 0.55f);
        Colour sea = Colour::mix(shallow, deep, smoothstep(0.0f, 0.6f, down));
        sea = sea.scaled(0.9f + 0.2f * waves * smoothstep(0.0f, 0.1f, down));
        sea = Colour::mix(sea, horizon, 0.8f * fresnel);
        // The sun's glitter path: its reflection broken up by the waves.
        const Vector3 reflected(d.x, -d.y + 0.04f * waves, d.z);
        const float glint = std::pow(std::max(0.0f, Vector3::normalized(reflected).dot(sun)), 300.0f);
        const float sparkle = smoothstep(0.2f, 0.6f, Noise::fbm(g * 6.0f, 3, 151u));
        sea = sea + Colour(1.0f, 0.95f, 0.85f).scaled(2.0f * glint * (0.3f + 0.7f * sparkle));
        c = sea;
        // A thin bright haze line where sea meets sky.
        c = Colour::mix(c, horizon, 0.6f * (1.0f - smoothstep(0.0f, 0.008f, down)));
    }
    return c;
}

}  // namespace

const char* SkyBoxGenerator::faceName(int face)
{
    static const char* const names[FACE_COUNT] = {"left", "right", "top", "bottom", "front", "back"};
    assert(face >= 0 && face < FACE_COUNT);
    return names[face];
}

const char* SkyBoxGenerator::worldName(World world)
{
    switch (world) {
    case World::JUNGLE:
        return "jungle";
    case World::VOLCANO:
        return "volcano";
    case World::LAGOON:
        return "lagoon";
    }
    return "";
}

// The point at (s, t) on the face's square, blended from its four corners.
Vector3 SkyBoxGenerator::direction(int face, float s, float t)
{
    assert(face >= 0 && face < FACE_COUNT);
    Vector3 point;
    for (const SkyBoxCorner& c : SKYBOX_CORNERS[face]) {
        const float weight = (c.s > 0.5f ? s : 1.0f - s) * (c.t > 0.5f ? t : 1.0f - t);
        point += Vector3(c.x, c.y, c.z) * weight;
    }
    return Vector3::normalized(point);
}

Colour SkyBoxGenerator::sky(World world, const Vector3& d)
{
    switch (world) {
    case World::JUNGLE:
        return jungle(d);
    case World::VOLCANO:
        return volcano(d);
    case World::LAGOON:
        return lagoon(d);
    }
    return {};
}

Image SkyBoxGenerator::face(World world, int faceIndex, int size)
{
    Image image(size, size);
    image.fill([&](int x, int y) {
        const Vector3 d = direction(faceIndex, (x + 0.5f) / size, (y + 0.5f) / size);
        return sky(world, d).withAlpha(1.0f);
    });
    return image;
}
