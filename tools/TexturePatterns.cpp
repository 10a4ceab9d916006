#include "tools/TexturePatterns.h"

#include "tools/Noise.h"
#include "tools/ShadeMath.h"

#include <algorithm>
#include <cmath>

using namespace shade;

TexturePatterns::Plank TexturePatterns::planks(float u, float v, int rows, std::uint32_t seed)
{
    Plank plank;
    const int row = static_cast<int>(std::floor(v * rows));
    plank.across = fract(v * rows);
    const float rowHeight = 1.0f / static_cast<float>(rows);

    // Joint positions of this row, sorted, in [0, 1).
    const int jointCount = 1 + static_cast<int>(Noise::hash(row, 0, 0, seed) % 3u);
    float joints[3];
    for (int k = 0; k < jointCount; ++k) {
        joints[k] = (static_cast<float>(k) + 0.15f + 0.7f * Noise::hashUnit(row, k, 1, seed)) /
                    static_cast<float>(jointCount);
    }
    // The board that contains u: between the last joint at or before u and the next one, circularly.
    int board = jointCount - 1;
    for (int k = 0; k < jointCount; ++k) {
        if (u >= joints[k]) {
            board = k;
        }
    }
    const float start = joints[board];
    float end = board + 1 < jointCount ? joints[board + 1] : joints[0] + 1.0f;
    float position = u;
    if (position < start) {
        position += 1.0f;
    }
    plank.length = end - start;
    plank.along = (position - start) / plank.length;
    plank.id = Noise::hash(row, board, 2, seed);
    const float toJoint = std::min(position - start, end - position);
    const float toSide = std::min(plank.across, 1.0f - plank.across) * rowHeight;
    plank.edge = std::min(toJoint, toSide);
    return plank;
}

float TexturePatterns::woodGrain(float u, float v, const Plank& plank, int rows, std::uint32_t seed)
{
    const float centre = 0.2f + 0.6f * static_cast<float>(plank.id & 0xffu) / 255.0f;
    const float offset = static_cast<float>((plank.id >> 8) & 0xffu) / 255.0f * 7.0f;
    const float alongMetres = plank.along * plank.length;
    // Knots: one per board at most, where the rings swerve around a dark core.
    float knot = 0.0f;
    if (((plank.id >> 16) & 3u) == 0u) {
        const float kx = (0.2f + 0.6f * static_cast<float>((plank.id >> 18) & 0xffu) / 255.0f) * plank.length;
        const float ky = 0.25f + 0.5f * static_cast<float>((plank.id >> 26) & 0x3fu) / 63.0f;
        const float dx = (alongMetres - kx) * 14.0f;
        const float dy = (plank.across - ky) * 2.2f;
        knot = std::exp(-(dx * dx + dy * dy) * 6.0f);
    }
    const float warp = Noise::fbm(u, v, 2, rows * 2, 3, seed + 11u);
    const float across = plank.across - centre;
    const float rings = 5.0f * (across * across * 3.0f + 0.9f * alongMetres + 0.25f * warp) + offset + 2.5f * knot;
    const float ring = fract(rings);
    // Early wood rises slowly, late wood ends sharply: an asymmetric ring profile.
    const float late = smoothstep(0.55f, 0.9f, ring) * (1.0f - smoothstep(0.93f, 1.0f, ring));
    return clamp01(late + 0.8f * knot);
}

float TexturePatterns::woodFibres(float u, float v, std::uint32_t seed)
{
    return 0.5f + 0.5f * Noise::fbm(u, v, 4, 192, 3, seed + 23u, 0.6f);
}

float TexturePatterns::grit(int x, int y, int size, std::uint32_t seed)
{
    auto at = [&](int px, int py) {
        return Noise::hashUnit((px + size) % size, (py + size) % size, 7, seed);
    };
    const float around = 0.25f * (at(x + 1, y) + at(x - 1, y) + at(x, y + 1) + at(x, y - 1));
    return 0.65f * at(x, y) + 0.35f * around;
}
