#include "tools/VolcanoTextures.h"

#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/ShadeMath.h"
#include "tools/TexturePatterns.h"

#include <cmath>

using namespace shade;

namespace {

// Black body glow from cold crust (0) to white-hot (1).
const ColourRamp& glowRamp()
{
    static const ColourRamp ramp({{0.0f, Colour(0.05f, 0.03f, 0.025f)},
                                  {0.25f, Colour(0.35f, 0.03f, 0.0f)},
                                  {0.5f, Colour(0.85f, 0.20f, 0.02f)},
                                  {0.75f, Colour(1.0f, 0.55f, 0.08f)},
                                  {1.0f, Colour(1.0f, 0.92f, 0.55f)}});
    return ramp;
}

}  // namespace

Image VolcanoTextures::basalt(int size, std::uint32_t seed)
{
    const ColourRamp rock({{0.0f, Colour(0.06f, 0.06f, 0.06f)},
                           {0.5f, Colour(0.24f, 0.23f, 0.22f)},
                           {1.0f, Colour(0.42f, 0.40f, 0.38f)}});
    const Colour oxide(0.36f, 0.16f, 0.08f);
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const Noise::Cell column = Noise::worley(u, v, 6, 6, seed + 1u, 0.55f);
        const float edge = column.f2 - column.f1;
        const float joint = 1.0f - smoothstep(0.02f, 0.08f, edge + 0.03f * Noise::fbm(u, v, 16, 16, 3, seed + 2u));
        // Each column top is a slightly tilted, weathered plane.
        const float tiltX = Noise::hashUnit(static_cast<int>(column.id & 0xffffu), 0, 4, seed) - 0.5f;
        const float tiltY = Noise::hashUnit(static_cast<int>(column.id & 0xffffu), 0, 5, seed) - 0.5f;
        const float tilt = 0.25f * (tiltX * column.dx + tiltY * column.dy);
        const float rough = Noise::fbm(u, v, 24, 24, 4, seed + 3u);
        const Noise::Cell vesicle = Noise::worley(u, v, 48, 48, seed + 4u);
        const float pit = 1.0f - smoothstep(0.10f, 0.22f, vesicle.f1);
        const float height = clamp01((1.0f - joint) * (0.7f + tilt + 0.12f * rough) - 0.25f * pit * (1.0f - joint));
        const float tone = static_cast<float>(column.id & 0xffu) / 255.0f;
        Colour c = rock.at(clamp01(0.35f + 0.5f * height + 0.2f * (tone - 0.5f) + 0.15f * rough));
        const float stain = smoothstep(0.2f, 0.55f, Noise::fbm(u, v, 4, 4, 5, seed + 5u));
        c = Colour::mix(c, oxide.scaled(0.7f + 0.5f * rough), 0.45f * stain * (1.0f - joint));
        const float grain = TexturePatterns::grit(x, y, size, seed + 6u);
        c = c.scaled(0.85f + 0.3f * grain);
        return c.withAlpha(height);
    });
    return image;
}

Image VolcanoTextures::lava(int size, std::uint32_t seed)
{
    const ColourRamp crust({{0.0f, Colour(0.04f, 0.03f, 0.03f)},
                            {0.6f, Colour(0.12f, 0.09f, 0.08f)},
                            {1.0f, Colour(0.22f, 0.17f, 0.15f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float wu = u + 0.06f * Noise::fbm(u, v, 3, 3, 4, seed + 1u);
        const float wv = v + 0.06f * Noise::fbm(u, v, 3, 3, 4, seed + 2u);
        const Noise::Cell plate = Noise::worley(wu, wv, 5, 5, seed + 3u, 0.9f);
        const float edge = plate.f2 - plate.f1;
        const float crack = 1.0f - smoothstep(0.03f, 0.22f, edge);
        // Fine glowing fissures across the plates.
        const Noise::Cell fine = Noise::worley(wu * 1.0f, wv, 17, 17, seed + 4u, 1.0f);
        const float fissure = (1.0f - smoothstep(0.0f, 0.06f, fine.f2 - fine.f1)) *
                              smoothstep(-0.1f, 0.35f, Noise::fbm(u, v, 6, 6, 3, seed + 5u));
        const float hotspots = smoothstep(0.2f, 0.7f, Noise::fbm(u, v, 4, 4, 4, seed + 6u));
        const float heat = clamp01(std::max(crack * (0.75f + 0.35f * hotspots), 0.55f * fissure));
        const float rough = Noise::fbm(u, v, 32, 32, 3, seed + 7u);
        const float crustHeight = (1.0f - crack) * (0.75f + 0.1f * rough) * (1.0f - 0.5f * fissure);
        Colour c = crust.at(clamp01(0.5f + 0.5f * rough + 0.2f * (static_cast<float>(plate.id & 0xffu) / 255.0f - 0.5f)));
        const Colour glow = glowRamp().at(heat * (0.85f + 0.15f * rough));
        c = Colour::mix(c, glow, smoothstep(0.1f, 0.5f, heat));
        return c.withAlpha(clamp01(crustHeight + 0.1f));
    });
    return image;
}

Image VolcanoTextures::ash(int size, std::uint32_t seed)
{
    const ColourRamp ashRamp({{0.0f, Colour(0.20f, 0.19f, 0.18f)},
                              {0.5f, Colour(0.38f, 0.36f, 0.34f)},
                              {1.0f, Colour(0.55f, 0.53f, 0.50f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float drift = Noise::fbm(u, v, 3, 3, 6, seed + 1u);
        const float ripples = 0.5f + 0.5f * std::sin(TWO_PI * (v * 14.0f + 1.2f * Noise::fbm(u, v, 2, 2, 3, seed + 2u)));
        const float grain = TexturePatterns::grit(x, y, size, seed + 3u);
        const Noise::Cell cinder = Noise::worley(u, v, 28, 28, seed + 4u);
        // Only some cells hold a cinder, of varied size, half sunk in the ash.
        const float cinderSize = Noise::hashUnit(static_cast<int>(cinder.id & 0xffffu), 1, 1, seed);
        const float cinderMask = (cinder.id % 3u == 0u)
                                     ? (1.0f - smoothstep(0.08f + 0.12f * cinderSize, 0.16f + 0.14f * cinderSize, cinder.f1)) *
                                           (0.5f + 0.5f * smoothstep(-0.3f, 0.3f, drift))
                                     : 0.0f;
        const float height = clamp01(0.45f + 0.25f * drift + 0.08f * ripples + 0.1f * grain + 0.2f * cinderMask);
        Colour c = ashRamp.at(clamp01(0.5f + 0.6f * drift + 0.1f * ripples + 0.35f * (grain - 0.5f)));
        c = Colour::mix(c, Colour(0.10f, 0.09f, 0.085f).scaled(0.7f + 0.6f * grain), 0.85f * cinderMask);
        // A few embers still glow among the cinders.
        if ((cinder.id % 29u) == 0u) {
            const float ember = 1.0f - smoothstep(0.02f, 0.1f, cinder.f1);
            c = Colour::mix(c, Colour(1.0f, 0.45f, 0.08f), ember);
        }
        return c.withAlpha(height);
    });
    return image;
}

Image VolcanoTextures::obsidian(int size, std::uint32_t seed)
{
    const Colour base(0.035f, 0.03f, 0.045f);
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const Noise::Cell facet = Noise::worley(u, v, 4, 4, seed + 1u, 0.9f);
        const float edge = facet.f2 - facet.f1;
        // Conchoidal fracture: ripples rings around each facet's point of impact.
        const float rings = 0.5f + 0.5f * std::cos(facet.f1 * 22.0f + 3.0f * Noise::fbm(u, v, 8, 8, 3, seed + 2u));
        const float ridge = 1.0f - smoothstep(0.0f, 0.05f, edge);
        const float bowl = facet.f1 * facet.f1;
        const float height = clamp01(0.35f + 0.45f * bowl + 0.06f * rings + 0.25f * ridge);
        const float sheen = Noise::fbm(u, v, 3, 3, 4, seed + 3u);
        const Colour tint(0.10f + 0.06f * sheen, 0.07f + 0.04f * std::sin(sheen * 6.0f), 0.16f + 0.08f * sheen);
        Colour c = base + tint.scaled((0.3f + 0.45f * rings * rings) * (1.0f - ridge) * (0.5f + bowl));
        c = c + Colour(0.35f, 0.33f, 0.40f).scaled(0.5f * ridge);
        c = c.withAlpha(1.0f);
        return c.withAlpha(height);
    });
    return image;
}

Image VolcanoTextures::grate(int size, std::uint32_t seed)
{
    constexpr int BARS = 6;
    const ColourRamp steel({{0.0f, Colour(0.18f, 0.18f, 0.19f)},
                            {1.0f, Colour(0.45f, 0.45f, 0.46f)}});
    const ColourRamp rust({{0.0f, Colour(0.16f, 0.08f, 0.05f)},
                           {0.5f, Colour(0.38f, 0.18f, 0.08f)},
                           {1.0f, Colour(0.58f, 0.32f, 0.14f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        // Distance from the centre line of the nearest bar, per axis, in cell units.
        const float cu = std::fabs(fract(u * BARS) - 0.5f);
        const float cv = std::fabs(fract(v * BARS) - 0.5f);
        const float halfWidth = 0.2f;
        const float barU = 1.0f - smoothstep(halfWidth - 0.02f, halfWidth + 0.01f, cu);  // bar running along t
        const float barV = 1.0f - smoothstep(halfWidth - 0.02f, halfWidth + 0.01f, cv);  // bar running along s
        // Rounded bar profiles; the bars along s lie on top of those along t.
        const float profileU = std::sqrt(clamp01(1.0f - (cu / halfWidth) * (cu / halfWidth)));
        const float profileV = std::sqrt(clamp01(1.0f - (cv / halfWidth) * (cv / halfWidth)));
        const float heightU = barU * (0.55f + 0.2f * profileU);
        const float heightV = barV * (0.75f + 0.2f * profileV);
        const float metal = std::max(barU, barV);
        const float top = heightV >= heightU ? profileV : profileU;
        const float rustNoise = Noise::fbm(u, v, 8, 8, 5, seed + 1u);
        const float streaks = Noise::fbm(u, v, 24, 3, 3, seed + 2u);
        const float rustAmount = clamp01(smoothstep(-0.25f, 0.35f, rustNoise + 0.3f * streaks) + 0.4f * (1.0f - top));
        const float grain = TexturePatterns::grit(x, y, size, seed + 3u);
        Colour c = Colour::mix(steel.at(0.3f + 0.7f * top), rust.at(clamp01(0.5f + rustNoise + 0.4f * (grain - 0.5f))),
                               rustAmount);
        c = c.scaled(0.55f + 0.5f * top);
        // Lava glows through the holes, brightest in their middle.
        const float hole = 1.0f - metal;
        const float holeCentre = std::min(cu, cv) / 0.5f;
        // Deep holes: the glow is dim near the bars and brightest straight down.
        const float glowHeat = 0.1f + 0.5f * smoothstep(0.45f, 1.0f, holeCentre) +
                               0.25f * Noise::fbm(u, v, 3, 3, 3, seed + 4u);
        c = Colour::mix(c, glowRamp().at(clamp01(glowHeat)), hole);
        const float height = std::max(heightU, heightV) - 0.04f * rustAmount * grain;
        return c.withAlpha(clamp01(height));
    });
    return image;
}
