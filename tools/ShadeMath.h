#pragma once

#include "math/MathConstants.h"

#include <algorithm>
#include <cmath>

// Small scalar helpers shared by the texture, sky and sound recipes.
namespace shade {

inline float clamp01(float x) { return std::min(1.0f, std::max(0.0f, x)); }
inline float fract(float x) { return x - std::floor(x); }

// Hermite step from 0 at edge0 to 1 at edge1; edge0 may exceed edge1 for a falling step.
inline float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// Shortest signed distance between two texture coordinates on a wrapping axis.
inline float wrappedDelta(float a, float b)
{
    float d = a - b;
    return d - std::round(d);
}

}  // namespace shade
