#include "tools/JungleTextures.h"

#include "tools/ColourRamp.h"
#include "tools/Noise.h"
#include "tools/Rng.h"
#include "tools/ShadeMath.h"
#include "tools/TexturePatterns.h"

#include <cmath>
#include <vector>

using namespace shade;

namespace {

// A stroke scattered over the texture: a grass blade or a leaf.
struct Stroke {
    float x = 0.0f;       // anchor, texture units
    float y = 0.0f;
    float dirX = 1.0f;    // unit direction from the anchor towards the tip
    float dirY = 0.0f;
    float length = 0.0f;  // texture units
    float width = 0.0f;   // half width at the widest point, texture units
    float bend = 0.0f;    // sideways curvature
    float layer = 0.0f;   // 0..1, higher strokes cover lower ones
    float tone = 0.0f;    // 0..1, picks the colour
};

// Strokes binned by the grid cell of their anchor, so a pixel only looks at
// its own cell and the eight around it.
class StrokeGrid {
public:
    StrokeGrid(int cellsPerSide, int perCell) : cells(cellsPerSide), perCell(perCell),
        strokes(static_cast<std::size_t>(cellsPerSide) * cellsPerSide * perCell) {}

    Stroke& at(int cx, int cy, int k) { return strokes[index(cx, cy, k)]; }
    const Stroke& at(int cx, int cy, int k) const { return strokes[index(cx, cy, k)]; }

    int cells;
    int perCell;

private:
    std::size_t index(int cx, int cy, int k) const
    {
        const int wx = (cx % cells + cells) % cells;
        const int wy = (cy % cells + cells) % cells;
        return (static_cast<std::size_t>(wy) * cells + wx) * perCell + k;
    }
    std::vector<Stroke> strokes;
};

// The top-most stroke over a point and where on it the point lies.
struct StrokeHit {
    const Stroke* stroke = nullptr;
    float along = 0.0f;   // 0 at the anchor, 1 at the tip
    float across = 0.0f;  // -1..1 across the stroke
    int coverCount = 0;   // strokes covering the point, the hit included
};

template <typename Shape>
StrokeHit topStroke(const StrokeGrid& grid, float u, float v, const Shape& halfWidthAt)
{
    StrokeHit hit;
    const int cx = static_cast<int>(std::floor(u * grid.cells));
    const int cy = static_cast<int>(std::floor(v * grid.cells));
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            for (int k = 0; k < grid.perCell; ++k) {
                const Stroke& s = grid.at(cx + ox, cy + oy, k);
                const float dx = wrappedDelta(u, s.x);
                const float dy = wrappedDelta(v, s.y);
                const float a = dx * s.dirX + dy * s.dirY;
                if (a < 0.0f || a > s.length) {
                    continue;
                }
                const float t = a / s.length;
                const float c = -dx * s.dirY + dy * s.dirX - s.bend * t * t * s.length;
                const float halfWidth = s.width * halfWidthAt(t);
                if (halfWidth <= 0.0f || std::fabs(c) > halfWidth) {
                    continue;
                }
                ++hit.coverCount;
                if (hit.stroke == nullptr || s.layer > hit.stroke->layer) {
                    hit.stroke = &s;
                    hit.along = t;
                    hit.across = c / halfWidth;
                }
            }
        }
    }
    return hit;
}

StrokeGrid scatter(int cells, int perCell, float minLength, float maxLength, float widthRatio,
                   float maxBend, std::uint32_t seed)
{
    StrokeGrid grid(cells, perCell);
    Rng rng(seed);
    for (int cy = 0; cy < cells; ++cy) {
        for (int cx = 0; cx < cells; ++cx) {
            for (int k = 0; k < perCell; ++k) {
                Stroke& s = grid.at(cx, cy, k);
                s.x = (static_cast<float>(cx) + rng.uniform()) / static_cast<float>(cells);
                s.y = (static_cast<float>(cy) + rng.uniform()) / static_cast<float>(cells);
                const float angle = rng.range(0.0f, TWO_PI);
                s.dirX = std::cos(angle);
                s.dirY = std::sin(angle);
                s.length = rng.range(minLength, maxLength);
                s.width = s.length * widthRatio * rng.range(0.8f, 1.2f);
                s.bend = rng.range(-maxBend, maxBend);
                s.layer = rng.uniform();
                s.tone = rng.uniform();
            }
        }
    }
    return grid;
}

}  // namespace

Image JungleTextures::grass(int size, std::uint32_t seed)
{
    const StrokeGrid blades = scatter(22, 10, 0.04f, 0.085f, 0.085f, 0.3f, seed);
    const ColourRamp soil({{0.0f, Colour(0.10f, 0.09f, 0.04f)},
                           {0.5f, Colour(0.17f, 0.20f, 0.07f)},
                           {1.0f, Colour(0.24f, 0.32f, 0.09f)}});
    const ColourRamp blade({{0.0f, Colour(0.16f, 0.33f, 0.06f)},
                            {0.45f, Colour(0.28f, 0.50f, 0.10f)},
                            {0.8f, Colour(0.45f, 0.64f, 0.16f)},
                            {1.0f, Colour(0.66f, 0.70f, 0.26f)}});
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float patch = Noise::fbm(u, v, 4, 4, 5, seed + 1u);
        const float dry = smoothstep(0.25f, 0.6f, Noise::fbm(u, v, 3, 3, 4, seed + 2u));
        const StrokeHit hit = topStroke(blades, u, v, [](float t) { return std::pow(1.0f - t, 0.7f); });
        if (hit.stroke == nullptr) {
            const float fuzz = TexturePatterns::grit(x, y, size, seed + 3u);
            Colour c = soil.at(0.5f + 0.5f * patch + 0.3f * (fuzz - 0.5f));
            return c.withAlpha(0.12f + 0.1f * fuzz);
        }
        const Stroke& s = *hit.stroke;
        // Blades are lit from their midrib; tips catch more light, bases sit in shade.
        const float rib = 1.0f - 0.35f * hit.across * hit.across;
        const float shade = (0.6f + 0.45f * hit.along) * rib * (0.75f + 0.25f * s.layer);
        Colour c = blade.at(clamp01(0.3f * s.tone + 0.6f * (0.5f + 0.8f * patch) - 0.1f + 0.45f * dry * s.tone));
        c = c.scaled(shade * (1.0f - 0.06f * static_cast<float>(hit.coverCount - 1)));
        const float height = 0.25f + 0.45f * s.layer + 0.3f * hit.along * rib;
        return c.withAlpha(clamp01(height));
    });
    return image;
}

Image JungleTextures::bark(int size, std::uint32_t seed)
{
    const ColourRamp wood({{0.0f, Colour(0.06f, 0.045f, 0.03f)},
                           {0.35f, Colour(0.20f, 0.15f, 0.10f)},
                           {0.7f, Colour(0.38f, 0.31f, 0.24f)},
                           {1.0f, Colour(0.54f, 0.48f, 0.40f)}});
    const Colour lichen(0.55f, 0.60f, 0.45f);
    const Colour moss(0.16f, 0.28f, 0.07f);
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float x1 = u + 0.04f * Noise::fbm(u, v, 3, 2, 4, seed + 1u);
        // Long plates along the trunk, split by cracks that wander.
        const Noise::Cell plate = Noise::worley(x1, v, 14, 4, seed + 2u, 0.85f);
        const float edge = plate.f2 - plate.f1;
        // Plates are rounded ridges: height rises with the distance from the furrow.
        const float wander = 0.06f * Noise::fbm(u, v, 16, 16, 3, seed + 3u);
        const float ridge = std::pow(smoothstep(0.0f, 0.4f, edge + wander), 0.6f);
        const float crack = 1.0f - smoothstep(0.0f, 0.12f, edge + wander);
        // Fibres: fine ridges running along the trunk.
        const float fibres = Noise::ridged(x1, v, 48, 4, 3, seed + 4u);
        const float plateTone = static_cast<float>(plate.id & 0xffu) / 255.0f;
        const float rough = Noise::fbm(u, v, 64, 64, 2, seed + 5u);
        const float height = clamp01(ridge * (0.55f + 0.22f * fibres + 0.1f * plateTone) + 0.05f * rough);
        Colour c = wood.at(clamp01(0.1f + 0.95f * height + 0.1f * (plateTone - 0.5f)));
        const float lichenAmount = smoothstep(0.25f, 0.5f, Noise::fbm(u, v, 5, 5, 5, seed + 6u) + 0.15f * rough) *
                                   (1.0f - crack);
        c = Colour::mix(c, lichen.scaled(0.75f + 0.35f * fibres), 0.55f * lichenAmount);
        const float mossAmount = crack * smoothstep(-0.1f, 0.3f, Noise::fbm(u, v, 3, 3, 4, seed + 7u));
        c = Colour::mix(c, moss.scaled(0.8f + 0.4f * rough), 0.75f * mossAmount);
        return c.withAlpha(height);
    });
    return image;
}

Image JungleTextures::planks(int size, std::uint32_t seed)
{
    constexpr int ROWS = 4;
    const ColourRamp wood({{0.0f, Colour(0.64f, 0.43f, 0.24f)},
                           {0.5f, Colour(0.50f, 0.31f, 0.16f)},
                           {1.0f, Colour(0.30f, 0.17f, 0.08f)}});
    const Colour gapColour(0.05f, 0.04f, 0.02f);
    const Colour mossColour(0.20f, 0.30f, 0.08f);
    const float pixel = 1.0f / static_cast<float>(size);
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const TexturePatterns::Plank p = TexturePatterns::planks(u, v, ROWS, seed);
        const float grain = TexturePatterns::woodGrain(u, v, p, ROWS, seed + 1u);
        const float fibres = TexturePatterns::woodFibres(u, v, seed + 2u);
        const float gap = 1.0f - smoothstep(1.0f * pixel, 3.0f * pixel, p.edge);
        const float bevel = smoothstep(0.0f, 8.0f * pixel, p.edge);
        const float tone = static_cast<float>((p.id >> 4) & 0xffu) / 255.0f;
        Colour c = wood.at(clamp01(0.55f * grain + 0.35f * (1.0f - fibres) + 0.25f * (tone - 0.5f)));
        c = c.scaled(0.85f + 0.3f * tone);
        // Dirt and moss creep in from the gaps.
        const float dirt = (1.0f - smoothstep(0.0f, 0.03f, p.edge)) *
                           smoothstep(-0.2f, 0.4f, Noise::fbm(u, v, 6, 6, 4, seed + 3u));
        c = Colour::mix(c, mossColour, 0.55f * dirt);
        c = c.scaled(0.75f + 0.25f * bevel);
        // Two nails near each end of a board.
        const float fromStart = p.along * p.length;
        const float fromEnd = (1.0f - p.along) * p.length;
        const float nailAlong = std::min(std::fabs(fromStart - 0.018f), std::fabs(fromEnd - 0.018f));
        const float nailAcross = std::min(std::fabs(p.across - 0.25f), std::fabs(p.across - 0.75f)) / ROWS;
        const float nailDistance = std::sqrt(nailAlong * nailAlong + nailAcross * nailAcross);
        const float nail = 1.0f - smoothstep(3.0f * pixel, 4.5f * pixel, nailDistance);
        const float rustHalo = (1.0f - smoothstep(4.0f * pixel, 12.0f * pixel, nailDistance)) * (1.0f - nail);
        c = Colour::mix(c, Colour(0.30f, 0.14f, 0.06f), 0.5f * rustHalo);
        c = Colour::mix(c, Colour(0.22f, 0.21f, 0.20f).scaled(0.8f + 0.5f * (1.0f - nailDistance / (4.5f * pixel))), nail);
        c = Colour::mix(c, gapColour, gap);
        const float height = (1.0f - gap) * (0.62f + 0.25f * bevel - 0.06f * grain + 0.04f * fibres) + 0.08f * nail;
        return c.withAlpha(clamp01(height));
    });
    return image;
}

Image JungleTextures::mossyStone(int size, std::uint32_t seed)
{
    const ColourRamp moss({{0.0f, Colour(0.08f, 0.14f, 0.03f)},
                           {0.5f, Colour(0.20f, 0.34f, 0.07f)},
                           {1.0f, Colour(0.38f, 0.50f, 0.14f)}});
    const Colour stones[4] = {Colour(0.43f, 0.42f, 0.38f), Colour(0.52f, 0.50f, 0.45f),
                              Colour(0.36f, 0.37f, 0.35f), Colour(0.47f, 0.43f, 0.37f)};
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        const float wu = u + 0.035f * Noise::fbm(u, v, 4, 4, 3, seed + 1u);
        const float wv = v + 0.035f * Noise::fbm(u, v, 4, 4, 3, seed + 2u);
        const Noise::Cell cell = Noise::worley(wu, wv, 5, 5, seed + 3u, 0.85f);
        const float edge = cell.f2 - cell.f1;
        const float stone = smoothstep(0.03f, 0.2f, edge);
        const float mottle = Noise::fbm(u, v, 16, 16, 4, seed + 4u);
        const float pits = smoothstep(0.12f, 0.05f, Noise::worley(u, v, 40, 40, seed + 5u).f1);
        Colour c = stones[cell.id % 4u].scaled(0.85f + 0.25f * mottle);
        c = c.scaled(0.65f + 0.35f * stone);
        c = c.scaled(1.0f - 0.3f * pits);
        const float fuzz = TexturePatterns::grit(x, y, size, seed + 6u);
        const float mossCover = smoothstep(0.45f, 0.7f,
                                           0.75f * (1.0f - stone) + 0.5f * Noise::fbm(u, v, 5, 5, 5, seed + 7u) + 0.2f);
        const Colour mossColour = moss.at(0.5f + 0.4f * Noise::fbm(u, v, 24, 24, 3, seed + 8u) + 0.3f * (fuzz - 0.5f));
        c = Colour::mix(c, mossColour, mossCover);
        const float dome = stone * (0.55f + 0.3f * smoothstep(0.0f, 0.6f, edge)) + 0.05f * mottle - 0.08f * pits;
        const float height = std::max(dome, mossCover * (0.35f + 0.1f * fuzz));
        return c.withAlpha(clamp01(height));
    });
    return image;
}

Image JungleTextures::leaves(int size, std::uint32_t seed)
{
    const StrokeGrid grid = scatter(7, 5, 0.10f, 0.17f, 0.22f, 0.15f, seed);
    const ColourRamp leaf({{0.0f, Colour(0.10f, 0.25f, 0.05f)},
                           {0.4f, Colour(0.17f, 0.38f, 0.08f)},
                           {0.75f, Colour(0.30f, 0.50f, 0.12f)},
                           {1.0f, Colour(0.50f, 0.58f, 0.16f)}});
    const Colour shadow(0.02f, 0.05f, 0.015f);
    Image image(size, size);
    image.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size;
        const float v = (y + 0.5f) / size;
        // A pointed oval: widest a little behind the middle, the stalk end narrow.
        const StrokeHit hit = topStroke(grid, u, v, [](float t) {
            const float s = std::sin(PI * std::pow(t, 0.8f));
            return s > 0.0f ? std::pow(s, 0.75f) : 0.0f;
        });
        if (hit.stroke == nullptr) {
            return shadow.withAlpha(0.0f);
        }
        const Stroke& s = *hit.stroke;
        const float side = std::fabs(hit.across);
        const float midrib = 1.0f - smoothstep(0.02f, 0.08f, side);
        const float veins = 1.0f - smoothstep(0.0f, 0.12f, std::fabs(fract(hit.along * 7.0f - side * 1.6f) - 0.5f) - 0.38f);
        // Leaves curl down at their rims; light comes from the upper left.
        const float curl = 1.0f - side * side;
        const float light = 0.7f + 0.3f * (hit.across * -0.5f + 0.5f);
        Colour c = leaf.at(clamp01(s.tone * 0.85f + 0.15f * Noise::fbm(u, v, 12, 12, 3, seed + 1u)));
        c = c.scaled((0.55f + 0.45f * curl) * light * (0.45f + 0.55f * s.layer));
        c = Colour::mix(c, c.scaled(1.35f), 0.6f * midrib + 0.25f * veins * (1.0f - midrib));
        c = c.scaled(1.0f - 0.12f * static_cast<float>(hit.coverCount - 1));
        return c.withAlpha(clamp01(0.3f + 0.5f * s.layer + 0.2f * curl));
    });
    return image;
}
