#include "tools/ParticleAtlasGenerator.h"

#include "effects/ParticleFrames.h"
#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/ShadeMath.h"

#include <cmath>

using namespace shade;

namespace {

constexpr int NO_WRAP = 1 << 16;

// Non-repeating fractal noise for sprites.
float fbm(float x, float y, int octaves, std::uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * Noise::gradient(x + 100.0f, y + 100.0f, NO_WRAP, NO_WRAP, seed + i * 7u);
        norm += amplitude;
        amplitude *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / norm;
}

// Fades everything out before the frame's square border (fu, fv in -1..1),
// so mipmaps and filtering never pull in a neighbouring frame.
float borderFade(float fu, float fv)
{
    return smoothstep(1.0f, 0.9f, std::max(std::fabs(fu), std::fabs(fv)));
}

Colour softDot(float fu, float fv)
{
    const float r2 = fu * fu + fv * fv;
    const float alpha = std::exp(-r2 * 5.0f) * smoothstep(1.0f, 0.7f, std::sqrt(r2));
    return Colour(1.0f, 1.0f, 1.0f, alpha);
}

Colour explosion(float fu, float fv, int step, std::uint32_t seed)
{
    static const ColourRamp fire({{0.0f, Colour(0.45f, 0.42f, 0.40f)},
                                  {0.25f, Colour(0.85f, 0.28f, 0.06f)},
                                  {0.5f, Colour(1.0f, 0.50f, 0.10f)},
                                  {0.75f, Colour(1.0f, 0.82f, 0.35f)},
                                  {1.0f, Colour(1.0f, 1.0f, 0.90f)}});
    const float tau = static_cast<float>(step) / 15.0f;
    const float r = std::sqrt(fu * fu + fv * fv);
    const float radius = 0.42f + 0.45f * std::sqrt(tau);
    // The billows boil: the noise drifts outwards and turns from frame to frame.
    const float angle = std::atan2(fv, fu);
    const float wx = fbm(fu * 2.0f + tau * 1.5f, fv * 2.0f, 3, seed + 1u);
    const float wy = fbm(fu * 2.0f, fv * 2.0f - tau * 1.5f, 3, seed + 2u);
    const float billow = fbm(fu * 3.0f + 0.6f * wx, fv * 3.0f + 0.6f * wy - tau * 0.8f, 5, seed + 3u);
    const float edge = radius * (1.0f + 0.28f * billow + 0.04f * std::sin(angle * 3.0f + tau * 3.0f));
    const float body = smoothstep(edge, edge * 0.7f, r);
    // Early frames: a hot core; later ones: a cooling, thinning cloud of smoke,
    // hollowing out as it spreads.
    const float heat = clamp01((1.0f - r / (edge + 1e-3f)) * (1.8f - 1.7f * tau) + 0.25f + 0.35f * billow * (1.0f - tau) - 0.3f * tau);
    const float hollow = 1.0f - 0.6f * tau * smoothstep(edge * 0.6f, 0.0f, r);
    const float density = body * hollow * (0.75f + 0.35f * billow) * (1.0f - 0.75f * tau * tau);
    const Colour colour = fire.at(heat);
    return colour.withAlpha(clamp01(density) * borderFade(fu, fv));
}

Colour star(float fu, float fv)
{
    const float r = std::sqrt(fu * fu + fv * fv);
    const float angle = std::atan2(fv, fu);
    // Five pointed rays around a bright core.
    const float rays = std::pow(std::fabs(std::cos(angle * 2.5f)), 30.0f);
    const float spike = rays * std::exp(-r * 3.5f);
    const float core = std::exp(-r * r * 60.0f);
    const float halo = 0.35f * std::exp(-r * 6.0f);
    const float alpha = clamp01(core + spike + halo) * smoothstep(1.0f, 0.8f, r);
    const Colour colour = Colour::mix(Colour(1.0f, 0.78f, 0.35f), Colour(1.0f, 1.0f, 0.92f), clamp01(core * 2.0f + spike));
    return colour.withAlpha(alpha);
}

Colour spark(float fu, float fv)
{
    const float r = std::sqrt(fu * fu + fv * fv);
    // A glint: a hot point with a thin cross of light and a warm halo.
    const float cross = std::exp(-std::fabs(fv) * 60.0f) * std::exp(-std::fabs(fu) * 3.0f) +
                        std::exp(-std::fabs(fu) * 60.0f) * std::exp(-std::fabs(fv) * 3.0f);
    const float diagonal = 0.35f * (std::exp(-std::fabs(fu - fv) * 50.0f) + std::exp(-std::fabs(fu + fv) * 50.0f)) *
                           std::exp(-r * 5.0f);
    const float core = std::exp(-r * r * 120.0f);
    const float halo = 0.5f * std::exp(-r * 9.0f);
    const float alpha = clamp01(core + 0.8f * cross + diagonal + halo) * smoothstep(1.0f, 0.8f, r);
    const Colour colour = Colour::mix(Colour(1.0f, 0.62f, 0.25f), Colour(1.0f, 0.97f, 0.9f), clamp01(core + cross));
    return colour.withAlpha(alpha);
}

Colour drop(float fu, float fv)
{
    // A falling drop: round below, drawn out to a point above (row 0 is the top).
    const float y = fv * 1.15f - 0.15f;
    const float widthAt = y > 0.0f ? 0.42f * std::sqrt(clamp01(1.0f - (y / 0.5f) * (y / 0.5f)))
                                   : 0.42f * clamp01(1.0f + y / 0.8f) * std::sqrt(clamp01(1.0f + y / 0.8f));
    const float inside = smoothstep(widthAt + 0.02f, widthAt - 0.03f, std::fabs(fu)) * smoothstep(0.0f, 0.04f, widthAt);
    const float rim = inside * smoothstep(widthAt * 0.45f, widthAt, std::fabs(fu));
    const float hx = fu + 0.14f;
    const float hy = fv - 0.18f;
    const float highlight = std::exp(-(hx * hx + hy * hy) * 90.0f);
    const float glow = 0.18f * std::exp(-(fu * fu + (fv - 0.1f) * (fv - 0.1f)) * 6.0f);
    const float alpha = clamp01(0.35f * inside + 0.45f * rim + highlight + glow);
    const Colour colour = Colour::mix(Colour(0.75f, 0.9f, 1.0f), Colour(1.0f, 1.0f, 1.0f), clamp01(highlight * 2.0f));
    return colour.withAlpha(alpha * borderFade(fu, fv));
}

Colour glowRing(float fu, float fv)
{
    const float r = std::sqrt(fu * fu + fv * fv);
    const float core = std::exp(-r * r * 9.0f);
    const float ring = std::exp(-(r - 0.55f) * (r - 0.55f) * 160.0f);
    const float alpha = clamp01(0.75f * core + 0.7f * ring) * smoothstep(1.0f, 0.8f, r);
    return Colour(1.0f, 1.0f, 1.0f, alpha);
}

Colour flare(float fu, float fv, std::uint32_t seed)
{
    const float r = std::sqrt(fu * fu + fv * fv);
    const float angle = std::atan2(fv, fu);
    // Many thin rays of random length: a starburst.
    const float rayNoise = 0.5f + 0.5f * Noise::gradient(angle * 12.0f / TWO_PI * 3.0f + 50.0f, 0.5f, 36, NO_WRAP, seed);
    const float rays = std::pow(std::fabs(std::sin(angle * 18.0f)), 18.0f) * std::exp(-r * (2.0f + 5.0f * (1.0f - rayNoise)));
    const float core = std::exp(-r * r * 25.0f);
    const float halo = 0.3f * std::exp(-r * 4.0f);
    const float alpha = clamp01(core + 0.9f * rays + halo) * smoothstep(1.0f, 0.8f, r);
    const Colour colour = Colour::mix(Colour(1.0f, 0.85f, 0.55f), Colour(1.0f, 1.0f, 1.0f), clamp01(core * 1.5f));
    return colour.withAlpha(alpha);
}

Colour shockRing(float fu, float fv, int step, std::uint32_t seed)
{
    const float tau = static_cast<float>(step) / 15.0f;
    const float r = std::sqrt(fu * fu + fv * fv);
    const float angle = std::atan2(fv, fu);
    const float radius = 0.12f + 0.7f * std::sqrt(tau);
    const float width = 0.16f * (1.0f - 0.6f * tau) + 0.02f;
    const float wobble = 0.05f * fbm(std::cos(angle) * 2.0f + tau, std::sin(angle) * 2.0f, 3, seed);
    const float d = (r - radius - wobble) / width;
    const float ring = std::exp(-d * d * 2.0f) * (1.0f - tau * 0.85f);
    const float inner = 0.25f * (1.0f - tau) * smoothstep(radius, 0.0f, r);
    const Colour colour = Colour::mix(Colour(1.0f, 0.7f, 0.4f), Colour(1.0f, 0.98f, 0.9f), clamp01(ring));
    return colour.withAlpha(clamp01(ring + inner) * borderFade(fu, fv));
}

Colour leaf(float fu, float fv, std::uint32_t seed)
{
    // The leaf lies on the diagonal, stalk at the lower left.
    const float a = (fu - fv) * 0.7071f;   // along the leaf, tip at the upper right
    const float b = (fu + fv) * 0.7071f;   // across
    const float t = (a + 0.8f) / 1.5f;     // 0 at the stalk end of the blade, 1 at the tip
    const float halfWidth = t > 0.0f && t < 1.0f ? 0.36f * std::pow(std::sin(PI * std::pow(t, 0.85f)), 0.8f) : 0.0f;
    const float blade = halfWidth > 0.0f ? smoothstep(halfWidth, halfWidth - 0.04f, std::fabs(b)) : 0.0f;
    const float stalk = (a < -0.78f && a > -0.98f) ? smoothstep(0.03f, 0.015f, std::fabs(b)) : 0.0f;
    const float side = halfWidth > 0.0f ? std::fabs(b) / halfWidth : 1.0f;
    const float midrib = 1.0f - smoothstep(0.02f, 0.05f, std::fabs(b));
    const float veins = 1.0f - smoothstep(0.0f, 0.08f, std::fabs(fract(t * 8.0f - side * 1.4f) - 0.5f) - 0.42f);
    const float mottle = fbm(fu * 4.0f, fv * 4.0f, 3, seed);
    Colour colour = Colour::mix(Colour(0.35f, 0.75f, 0.12f), Colour(0.85f, 0.80f, 0.20f), clamp01(0.4f + 0.8f * mottle));
    colour = colour.scaled(0.75f + 0.25f * (1.0f - side * side));
    colour = Colour::mix(colour, Colour(0.9f, 0.95f, 0.5f), 0.5f * midrib + 0.25f * veins * (1.0f - midrib));
    colour = Colour::mix(colour, Colour(0.45f, 0.40f, 0.15f), stalk);
    return colour.withAlpha(clamp01(std::max(blade, stalk)) * borderFade(fu, fv));
}

Colour sprite(int index, float fu, float fv, std::uint32_t seed)
{
    if (index == 0 || index == 1) {
        return softDot(fu, fv);
    }
    if (index >= 2 && index <= 17) {
        return explosion(fu, fv, index - 2, seed + 10u);
    }
    if (index >= 23 && index <= 38) {
        return shockRing(fu, fv, index - 23, seed + 20u);
    }
    switch (index) {
    case 18:
        return star(fu, fv);
    case 19:
        return spark(fu, fv);
    case 20:
        return drop(fu, fv);
    case 21:
        return glowRing(fu, fv);
    case 22:
        return flare(fu, fv, seed + 30u);
    default:
        return leaf(fu, fv, seed + 40u);
    }
}

}  // namespace

Image ParticleAtlasGenerator::atlas(std::uint32_t seed)
{
    Image image(SIZE, SIZE);
    image.fill([](int, int) { return Colour(0.0f, 0.0f, 0.0f, 0.0f); });
    for (int i = 0; i < ParticleFrames::COUNT; ++i) {
        const ParticleFrames::Rectangle f = ParticleFrames::rectangle(i);
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const float fu = 2.0f * (x + 0.5f) / f.width - 1.0f;
                const float fv = 2.0f * (y + 0.5f) / f.height - 1.0f;
                const Colour c = sprite(i, fu, fv, seed);
                // Transparent texels stay black so filtering adds no colour fringe.
                image.at(f.x + x, f.y + y) = c.a > 0.002f ? c : Colour(0.0f, 0.0f, 0.0f, 0.0f);
            }
        }
    }
    return image;
}
