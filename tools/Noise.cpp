#include "tools/Noise.h"

#include <cmath>

namespace {

constexpr int GRADIENT_COUNT = 32;

// Unit gradients evenly spread on the circle; a table avoids sin/cos per corner.
struct GradientTable {
    float x[GRADIENT_COUNT];
    float y[GRADIENT_COUNT];
    GradientTable()
    {
        for (int i = 0; i < GRADIENT_COUNT; ++i) {
            const double angle = (i + 0.5) * 6.283185307179586 / GRADIENT_COUNT;
            x[i] = static_cast<float>(std::cos(angle));
            y[i] = static_cast<float>(std::sin(angle));
        }
    }
};
const GradientTable gradients;

// The twelve edge directions of a cube, plus four repeated, as in improved Perlin noise.
constexpr float GRAD3[16][3] = {
    {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};

inline int wrap(int i, int period)
{
    const int m = i % period;
    return m < 0 ? m + period : m;
}

inline float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

inline float lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

inline int floorInt(float x)
{
    const int i = static_cast<int>(x);
    return x < static_cast<float>(i) ? i - 1 : i;
}

float corner2(int cx, int cy, float dx, float dy, int periodX, int periodY, std::uint32_t seed)
{
    const std::uint32_t h = Noise::hash(wrap(cx, periodX), wrap(cy, periodY), 0, seed) % GRADIENT_COUNT;
    return gradients.x[h] * dx + gradients.y[h] * dy;
}

float corner3(int cx, int cy, int cz, float dx, float dy, float dz, std::uint32_t seed)
{
    const float* g = GRAD3[Noise::hash(cx, cy, cz, seed) & 15u];
    return g[0] * dx + g[1] * dy + g[2] * dz;
}

}  // namespace

std::uint32_t Noise::hash(int x, int y, int z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<std::uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float Noise::hashUnit(int x, int y, int z, std::uint32_t seed)
{
    return static_cast<float>(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

float Noise::gradient(float x, float y, int periodX, int periodY, std::uint32_t seed)
{
    const int ix = floorInt(x);
    const int iy = floorInt(y);
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float n00 = corner2(ix, iy, fx, fy, periodX, periodY, seed);
    const float n10 = corner2(ix + 1, iy, fx - 1.0f, fy, periodX, periodY, seed);
    const float n01 = corner2(ix, iy + 1, fx, fy - 1.0f, periodX, periodY, seed);
    const float n11 = corner2(ix + 1, iy + 1, fx - 1.0f, fy - 1.0f, periodX, periodY, seed);
    const float u = fade(fx);
    // 1.45 scales the usual +-0.7 range of 2D gradient noise to about +-1.
    return 1.45f * lerp(lerp(n00, n10, u), lerp(n01, n11, u), fade(fy));
}

float Noise::fbm(float u, float v, int frequencyX, int frequencyY, int octaves, std::uint32_t seed,
                 float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * gradient(u * frequencyX, v * frequencyY, frequencyX, frequencyY, seed + i * 101u);
        norm += amplitude;
        amplitude *= gain;
        frequencyX *= 2;
        frequencyY *= 2;
    }
    return sum / norm;
}

float Noise::ridged(float u, float v, int frequencyX, int frequencyY, int octaves, std::uint32_t seed,
                    float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        const float n = 1.0f - std::fabs(gradient(u * frequencyX, v * frequencyY, frequencyX, frequencyY,
                                                  seed + i * 131u));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= gain;
        frequencyX *= 2;
        frequencyY *= 2;
    }
    return sum / norm;
}

Noise::Cell Noise::worley(float u, float v, int frequencyX, int frequencyY, std::uint32_t seed, float jitter)
{
    const float x = u * frequencyX;
    const float y = v * frequencyY;
    const int ix = floorInt(x);
    const int iy = floorInt(y);
    Cell cell;
    cell.f1 = 1e9f;
    cell.f2 = 1e9f;
    for (int oy = -2; oy <= 2; ++oy) {
        for (int ox = -2; ox <= 2; ++ox) {
            const int cx = ix + ox;
            const int cy = iy + oy;
            const int wx = wrap(cx, frequencyX);
            const int wy = wrap(cy, frequencyY);
            const float px = cx + 0.5f + jitter * (hashUnit(wx, wy, 1, seed) - 0.5f);
            const float py = cy + 0.5f + jitter * (hashUnit(wx, wy, 2, seed) - 0.5f);
            const float dx = px - x;
            const float dy = py - y;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d < cell.f1) {
                cell.f2 = cell.f1;
                cell.f1 = d;
                cell.id = hash(wx, wy, 3, seed);
                cell.dx = dx;
                cell.dy = dy;
            } else if (d < cell.f2) {
                cell.f2 = d;
            }
        }
    }
    return cell;
}

float Noise::gradient(const Vector3& p, std::uint32_t seed)
{
    const int ix = floorInt(p.x);
    const int iy = floorInt(p.y);
    const int iz = floorInt(p.z);
    const float fx = p.x - static_cast<float>(ix);
    const float fy = p.y - static_cast<float>(iy);
    const float fz = p.z - static_cast<float>(iz);
    const float u = fade(fx);
    const float v = fade(fy);
    const float w = fade(fz);
    const float x00 = lerp(corner3(ix, iy, iz, fx, fy, fz, seed),
                           corner3(ix + 1, iy, iz, fx - 1, fy, fz, seed), u);
    const float x10 = lerp(corner3(ix, iy + 1, iz, fx, fy - 1, fz, seed),
                           corner3(ix + 1, iy + 1, iz, fx - 1, fy - 1, fz, seed), u);
    const float x01 = lerp(corner3(ix, iy, iz + 1, fx, fy, fz - 1, seed),
                           corner3(ix + 1, iy, iz + 1, fx - 1, fy, fz - 1, seed), u);
    const float x11 = lerp(corner3(ix, iy + 1, iz + 1, fx, fy - 1, fz - 1, seed),
                           corner3(ix + 1, iy + 1, iz + 1, fx - 1, fy - 1, fz - 1, seed), u);
    return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

float Noise::fbm(const Vector3& p, int octaves, std::uint32_t seed, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    Vector3 q = p;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * gradient(q, seed + i * 101u);
        norm += amplitude;
        amplitude *= gain;
        // Doubling plus an odd offset keeps the lattices of the octaves from lining up.
        q = q * 2.0f + Vector3(17.13f, -5.71f, 9.37f);
    }
    return sum / norm;
}

float Noise::worleyF1(const Vector3& p, std::uint32_t seed, std::uint32_t* id)
{
    const int ix = floorInt(p.x);
    const int iy = floorInt(p.y);
    const int iz = floorInt(p.z);
    float best = 1e9f;
    for (int oz = -1; oz <= 1; ++oz) {
        for (int oy = -1; oy <= 1; ++oy) {
            for (int ox = -1; ox <= 1; ++ox) {
                const int cx = ix + ox;
                const int cy = iy + oy;
                const int cz = iz + oz;
                const float dx = cx + hashUnit(cx, cy, cz, seed) - p.x;
                const float dy = cy + hashUnit(cx, cy, cz, seed + 1u) - p.y;
                const float dz = cz + hashUnit(cx, cy, cz, seed + 2u) - p.z;
                const float d = dx * dx + dy * dy + dz * dz;
                if (d < best) {
                    best = d;
                    if (id != nullptr) {
                        *id = hash(cx, cy, cz, seed + 3u);
                    }
                }
            }
        }
    }
    return std::sqrt(best);
}
