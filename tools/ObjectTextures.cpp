#include "tools/ObjectTextures.h"

#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/ShadeMath.h"
#include "tools/TexturePatterns.h"

#include <cmath>

using namespace shade;

Image ObjectTextures::marble(int size, std::uint32_t seed)
{
    const Colour glass(0.90f, 0.93f, 0.97f);
    const Colour ribbonA(0.80f, 0.10f, 0.08f);
    const Colour ribbonB(0.06f, 0.22f, 0.70f);
    const Colour gold(1.0f, 0.78f, 0.25f);
    Image image(size, size);
    image.fill([&](int x, int y) {
        // The sphere's mapping: s = -(longitude index / n), t from -90 to +90 degrees latitude.
        const float s = (x + 0.5f) / size;
        const float t = (y + 0.5f) / size;
        const float longitude = -TWO_PI * s;
        const float latitude = PI * t - 0.5f * PI;
        const Vector3 p(std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                        std::cos(latitude) * std::sin(longitude));
        const Vector3 warp(Noise::fbm(p * 1.3f, 4, seed + 1u), Noise::fbm(p * 1.3f, 4, seed + 2u),
                           Noise::fbm(p * 1.3f, 4, seed + 3u));
        const Vector3 q = p + warp * 0.55f;
        // Two twisted ribbons around two different axes, so any rotation shows.
        const float a = std::sin(3.0f * (q.x + 0.35f * q.y) * PI * 0.5f + 0.5f);
        const float b = std::sin(3.0f * (q.z - 0.3f * q.y) * PI * 0.5f + 1.7f);
        const float ribbon1 = smoothstep(0.55f, 0.75f, a);
        const float ribbon2 = smoothstep(0.6f, 0.8f, b);
        const float vein = std::pow(1.0f - std::fabs(Noise::fbm(q * 2.0f, 4, seed + 4u)), 40.0f);
        const float cloud = Noise::fbm(p * 4.0f, 4, seed + 5u);
        Colour c = glass.scaled(0.92f + 0.12f * cloud);
        c = Colour::mix(c, ribbonB.scaled(0.8f + 0.4f * cloud), ribbon2);
        c = Colour::mix(c, ribbonA.scaled(0.85f + 0.3f * cloud), ribbon1);
        c = Colour::mix(c, gold, 0.7f * vein);
        return c.withAlpha(0.5f + 0.1f * cloud);
    });
    return image;
}

Image ObjectTextures::target(int size, std::uint32_t seed)
{
    const Colour rim(0.45f, 0.05f, 0.04f);
    const ColourRamp glow({{0.0f, Colour(1.0f, 1.0f, 0.9f)},
                           {0.12f, Colour(1.0f, 0.85f, 0.3f)},
                           {0.3f, Colour(1.0f, 0.35f, 0.1f)},
                           {0.6f, Colour(0.75f, 0.1f, 0.05f)},
                           {1.0f, rim}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size - 0.5f;
        const float v = (y + 0.5f) / size - 0.5f;
        const float r = std::sqrt(u * u + v * v) * 2.0f;
        const float rings = 0.5f + 0.5f * std::cos(r * TWO_PI * 4.0f);
        const float ringMask = smoothstep(0.85f, 0.7f, r);
        const float sparkle = Noise::fbm((x + 0.5f) / size, (y + 0.5f) / size, 8, 8, 3, seed);
        Colour c = glow.at(clamp01(r + 0.05f * sparkle));
        c = Colour::mix(c, Colour(1.0f, 0.95f, 0.85f), 0.55f * rings * ringMask * smoothstep(0.05f, 0.2f, r));
        return c.withAlpha(clamp01(1.0f - r));
    });
    return image;
}

Image ObjectTextures::concrete(int size, std::uint32_t seed)
{
    const ColourRamp grey({{0.0f, Colour(0.52f, 0.52f, 0.50f)},
                           {1.0f, Colour(0.72f, 0.71f, 0.68f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float cloud = Noise::fbm(u, v, 4, 4, 6, seed + 1u);
        const float grain = TexturePatterns::grit(x, y, size, seed + 2u);
        const Noise::Cell pore = Noise::worley(u, v, 50, 50, seed + 3u);
        const float poreMask = (pore.id % 3u == 0u) ? 1.0f - smoothstep(0.05f, 0.15f, pore.f1) : 0.0f;
        Colour c = grey.at(clamp01(0.5f + 0.6f * cloud + 0.3f * (grain - 0.5f)));
        c = c.scaled(1.0f - 0.35f * poreMask);
        return c.withAlpha(clamp01(0.6f + 0.1f * cloud - 0.3f * poreMask));
    });
    return image;
}
