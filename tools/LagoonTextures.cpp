#include "tools/LagoonTextures.h"

#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/ShadeMath.h"
#include "tools/TexturePatterns.h"

#include <algorithm>
#include <cmath>

using namespace shade;

namespace {

// Bright network of light that waves focus on a shallow floor: thin where two
// cells of a warped cellular pattern meet. 0..1.
float caustics(float u, float v, int frequency, std::uint32_t seed)
{
    const float wu = u + 0.05f * Noise::fbm(u, v, 3, 3, 3, seed + 1u);
    const float wv = v + 0.05f * Noise::fbm(u, v, 3, 3, 3, seed + 2u);
    const Noise::Cell cell = Noise::worley(wu, wv, frequency, frequency, seed + 3u, 1.0f);
    return std::pow(1.0f - smoothstep(0.0f, 0.35f, cell.f2 - cell.f1), 2.5f);
}

}  // namespace

Image LagoonTextures::sand(int size, std::uint32_t seed)
{
    const ColourRamp sandRamp({{0.0f, Colour(0.68f, 0.58f, 0.42f)},
                               {0.5f, Colour(0.84f, 0.75f, 0.57f)},
                               {1.0f, Colour(0.95f, 0.89f, 0.74f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float warp = Noise::fbm(u, v, 2, 2, 4, seed + 1u);
        const float phase = fract(v * 9.0f + u * 2.0f + 1.3f * warp);
        // Wind ripples: a gentle windward slope, a steeper lee side.
        const float ripple = phase < 0.7f ? phase / 0.7f : (1.0f - phase) / 0.3f;
        const float patches = Noise::fbm(u, v, 5, 5, 5, seed + 2u);
        const float grain = TexturePatterns::grit(x, y, size, seed + 3u);
        const Noise::Cell shell = Noise::worley(u, v, 36, 36, seed + 4u);
        const float shellBit = (shell.id % 5u == 0u) ? 1.0f - smoothstep(0.08f, 0.16f, shell.f1) : 0.0f;
        const float height = clamp01(0.35f + 0.35f * smoothstep(0.0f, 1.0f, ripple) + 0.12f * patches + 0.1f * grain +
                                     0.1f * shellBit);
        Colour c = sandRamp.at(clamp01(0.5f + 0.5f * patches + 0.25f * (ripple - 0.5f) + 0.5f * (grain - 0.5f)));
        // Scattered dark mineral grains and bright quartz.
        const float speck = Noise::hashUnit(x, y, 9, seed);
        if (speck > 0.985f) {
            c = c.scaled(0.55f);
        } else if (speck < 0.01f) {
            c = Colour::mix(c, Colour(1.0f, 0.98f, 0.92f), 0.7f);
        }
        c = Colour::mix(c, Colour(0.97f, 0.86f, 0.80f), 0.8f * shellBit);
        return c.withAlpha(height);
    });
    return image;
}

Image LagoonTextures::shallowWater(int size, std::uint32_t seed)
{
    const ColourRamp water({{0.0f, Colour(0.03f, 0.33f, 0.45f)},
                            {0.5f, Colour(0.07f, 0.52f, 0.60f)},
                            {1.0f, Colour(0.22f, 0.72f, 0.68f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float depth = Noise::fbm(u, v, 2, 2, 5, seed + 1u);
        const float light = std::max(caustics(u, v, 6, seed + 2u), 0.7f * caustics(u, v, 9, seed + 3u));
        const float swell = Noise::fbm(u, v, 4, 4, 4, seed + 4u);
        // The sea repeats this tile many times towards the horizon: soft colour
        // changes and faint caustics keep the grid of tiles from showing.
        Colour c = water.at(clamp01(0.5f + 0.35f * depth));
        c = c + Colour(0.45f, 0.55f, 0.45f).scaled(0.2f * light);
        const float height = clamp01(0.5f + 0.3f * swell + 0.15f * light);
        return c.withAlpha(height);
    });
    return image;
}

Image LagoonTextures::coral(int size, std::uint32_t seed)
{
    const ColourRamp coralRamp({{0.0f, Colour(0.35f, 0.09f, 0.16f)},
                                {0.45f, Colour(0.72f, 0.30f, 0.30f)},
                                {0.8f, Colour(0.95f, 0.52f, 0.42f)},
                                {1.0f, Colour(1.0f, 0.75f, 0.60f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float wu = u + 0.08f * Noise::fbm(u, v, 2, 2, 3, seed + 1u);
        const float wv = v + 0.08f * Noise::fbm(u, v, 2, 2, 3, seed + 2u);
        // Meanders: contour bands of a smooth, single-scale field, so ridges run
        // side by side at nearly even spacing; each ridge has a groove on its crest.
        const float field = 0.8f * Noise::gradient(wu * 7.0f, wv * 7.0f, 7, 7, seed + 3u) +
                            0.2f * Noise::gradient(wu * 14.0f, wv * 14.0f, 14, 14, seed + 9u);
        const float phase = fract(field * 4.0f);
        const float band = 0.5f - 0.5f * std::cos(TWO_PI * phase);
        const float ridge = smoothstep(0.2f, 0.75f, band);
        const float groove = 1.0f - smoothstep(0.0f, 0.05f, std::fabs(phase - 0.5f));
        const Noise::Cell polyp = Noise::worley(u, v, 64, 64, seed + 4u);
        const float polypDot = 1.0f - smoothstep(0.15f, 0.3f, polyp.f1);
        const float tone = Noise::fbm(u, v, 4, 4, 4, seed + 5u);
        const float height = clamp01(0.15f + 0.7f * ridge - 0.25f * groove - 0.08f * polypDot * ridge);
        Colour c = coralRamp.at(clamp01(0.15f + 0.75f * height + 0.25f * tone));
        c = Colour::mix(c, Colour(1.0f, 0.86f, 0.74f), 0.35f * polypDot * ridge);
        return c.withAlpha(height);
    });
    return image;
}

Image LagoonTextures::wetStone(int size, std::uint32_t seed)
{
    const Colour stones[4] = {Colour(0.34f, 0.38f, 0.42f), Colour(0.42f, 0.44f, 0.46f),
                              Colour(0.29f, 0.32f, 0.36f), Colour(0.46f, 0.44f, 0.41f)};
    const ColourRamp algae({{0.0f, Colour(0.06f, 0.10f, 0.05f)},
                            {1.0f, Colour(0.20f, 0.30f, 0.10f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float wu = u + 0.025f * Noise::fbm(u, v, 4, 4, 3, seed + 1u);
        const float wv = v + 0.025f * Noise::fbm(u, v, 4, 4, 3, seed + 2u);
        const Noise::Cell cell = Noise::worley(wu, wv, 4, 4, seed + 3u, 1.0f);
        const float edge = cell.f2 - cell.f1;
        // Water-worn stones are domes: height rises quickly from the gap, flat on top.
        const float dome = std::sqrt(clamp01(edge / 0.45f)) * smoothstep(0.0f, 0.06f, edge);
        const float speckle = TexturePatterns::grit(x, y, size, seed + 4u);
        const float mottle = Noise::fbm(u, v, 12, 12, 4, seed + 5u);
        Colour c = stones[cell.id % 4u].scaled(0.85f + 0.3f * mottle);
        // Granite-like light and dark grains.
        c = c.scaled(0.8f + 0.45f * speckle * speckle);
        // Wet stone is darker and more saturated where water gathers near the gaps.
        c = c.scaled(0.7f + 0.3f * dome);
        const float algaeAmount = (1.0f - smoothstep(0.0f, 0.25f, dome)) *
                                  smoothstep(-0.3f, 0.3f, Noise::fbm(u, v, 6, 6, 4, seed + 6u));
        c = Colour::mix(c, algae.at(0.5f + mottle), 0.8f * algaeAmount);
        const Noise::Cell barnacle = Noise::worley(u, v, 40, 40, seed + 7u);
        const float barnacleDot = (barnacle.id % 19u == 0u) ? 1.0f - smoothstep(0.15f, 0.3f, barnacle.f1) : 0.0f;
        const float barnacleHere = barnacleDot * smoothstep(0.1f, 0.5f, dome) * (1.0f - smoothstep(0.8f, 1.0f, dome));
        c = Colour::mix(c, Colour(0.78f, 0.76f, 0.70f), 0.8f * barnacleHere);
        const float height = clamp01(0.1f + 0.75f * dome + 0.05f * mottle + 0.08f * barnacleHere);
        return c.withAlpha(height);
    });
    return image;
}

Image LagoonTextures::pierPlanks(int size, std::uint32_t seed)
{
    constexpr int ROWS = 5;
    const ColourRamp wood({{0.0f, Colour(0.70f, 0.68f, 0.62f)},
                           {0.5f, Colour(0.55f, 0.53f, 0.48f)},
                           {1.0f, Colour(0.33f, 0.31f, 0.28f)}});
    const float pixel = 1.0f / static_cast<float>(size);
    Image image(size, size);
    image.fill([&](int x, int y) {
        // The boards of a pier run along t; the plank pattern runs along s, so swap.
        const float u = (y + 0.5f) / size;
        const float v = (x + 0.5f) / size;
        const TexturePatterns::Plank p = TexturePatterns::planks(u, v, ROWS, seed);
        const float grain = TexturePatterns::woodGrain(u, v, p, ROWS, seed + 1u);
        const float fibres = TexturePatterns::woodFibres(u, v, seed + 2u);
        const float gap = 1.0f - smoothstep(2.0f * pixel, 5.0f * pixel, p.edge);
        const float bevel = smoothstep(0.0f, 10.0f * pixel, p.edge);
        const float tone = static_cast<float>((p.id >> 4) & 0xffu) / 255.0f;
        // Weathered wood: the soft early wood is worn away, so the grain stands out.
        Colour c = wood.at(clamp01(0.45f * grain + 0.5f * (1.0f - fibres) + 0.2f * (tone - 0.5f)));
        const float salt = smoothstep(0.2f, 0.6f, Noise::fbm(u, v, 5, 5, 5, seed + 3u));
        c = Colour::mix(c, Colour(0.86f, 0.85f, 0.80f), 0.35f * salt);
        const float damp = (1.0f - smoothstep(0.0f, 0.02f, p.edge)) * 0.5f;
        c = c.scaled((0.7f + 0.3f * bevel) * (1.0f - damp));
        // One bolt at each end of a board, with a rust streak down the grain.
        const float fromStart = p.along * p.length;
        const float fromEnd = (1.0f - p.along) * p.length;
        const float boltAlong = std::min(std::fabs(fromStart - 0.02f), std::fabs(fromEnd - 0.02f));
        const float boltAcross = std::fabs(p.across - 0.5f) / ROWS;
        const float boltDistance = std::sqrt(boltAlong * boltAlong + boltAcross * boltAcross);
        const float bolt = 1.0f - smoothstep(5.0f * pixel, 6.5f * pixel, boltDistance);
        const float streak = (1.0f - smoothstep(0.0f, 4.0f * pixel, boltAcross)) *
                             (1.0f - smoothstep(0.0f, 0.04f, boltAlong)) * (1.0f - bolt);
        c = Colour::mix(c, Colour(0.45f, 0.25f, 0.14f), 0.25f * streak * (0.6f + 0.4f * fibres));
        c = Colour::mix(c, Colour(0.40f, 0.22f, 0.12f).scaled(0.7f + 0.6f * (1.0f - boltDistance / (6.5f * pixel))), bolt);
        c = Colour::mix(c, Colour(0.04f, 0.05f, 0.06f), gap);
        const float height = (1.0f - gap) * (0.6f + 0.25f * bevel - 0.12f * (1.0f - grain) * (1.0f - fibres)) + 0.1f * bolt;
        return c.withAlpha(clamp01(height));
    });
    return image;
}
