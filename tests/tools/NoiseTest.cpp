#include "tools/Noise.h"

#include <gtest/gtest.h>

#include <cmath>

// Texture recipes rely on the 2D functions repeating with the texture, on their
// ranges and on the seed choosing the pattern.
TEST(Noise, FunctionsRepeatWithTheTextureStayInRangeAndFollowTheSeed)
{
    int differing = 0;
    for (int i = 0; i < 1000; ++i) {
        const float u = 0.00931f * static_cast<float>(i);
        const float v = 0.5f + 0.0071f * static_cast<float>(i);
        const float n = Noise::fbm(u, v, 3, 5, 4, 7u);
        EXPECT_NEAR(n, Noise::fbm(u + 1.0f, v - 1.0f, 3, 5, 4, 7u), 1e-4f);
        EXPECT_GE(n, -1.0f);
        EXPECT_LE(n, 1.0f);
        differing += std::fabs(n - Noise::fbm(u, v, 3, 5, 4, 8u)) > 1e-3f;
        const float r = Noise::ridged(u, v, 4, 2, 3, 9u);
        EXPECT_NEAR(r, Noise::ridged(u - 1.0f, v + 1.0f, 4, 2, 3, 9u), 1e-4f);
        EXPECT_GE(r, 0.0f);
        EXPECT_LE(r, 1.0f);
        const Noise::Cell a = Noise::worley(u, v, 6, 3, 11u);
        const Noise::Cell b = Noise::worley(u + 1.0f, v - 1.0f, 6, 3, 11u);
        EXPECT_NEAR(a.f1, b.f1, 1e-4f);
        EXPECT_NEAR(a.f2, b.f2, 1e-4f);
        EXPECT_EQ(a.id, b.id);
        EXPECT_LE(a.f1, a.f2);
        EXPECT_LE(std::fabs(Noise::gradient(Vector3(u * 7.0f, u * 3.0f, 1.5f), 5u)), 1.2f);
    }
    EXPECT_GT(differing, 900);
}
