#include "tools/Noise.h"

#include <gtest/gtest.h>

#include <cmath>

// Texture recipes rely on these functions repeating with the texture.
TEST(Noise, TwoDimensionalFunctionsRepeatWithTheTexture)
{
    for (int i = 0; i < 200; ++i) {
        const float u = 0.013f * static_cast<float>(i);
        const float v = 0.5f + 0.0071f * static_cast<float>(i);
        EXPECT_NEAR(Noise::fbm(u, v, 3, 5, 4, 7u), Noise::fbm(u + 1.0f, v, 3, 5, 4, 7u), 1e-4f);
        EXPECT_NEAR(Noise::fbm(u, v, 3, 5, 4, 7u), Noise::fbm(u, v - 1.0f, 3, 5, 4, 7u), 1e-4f);
        EXPECT_NEAR(Noise::ridged(u, v, 4, 2, 3, 9u), Noise::ridged(u - 1.0f, v + 1.0f, 4, 2, 3, 9u), 1e-4f);
        const Noise::Cell a = Noise::worley(u, v, 6, 3, 11u);
        const Noise::Cell b = Noise::worley(u + 1.0f, v - 1.0f, 6, 3, 11u);
        EXPECT_NEAR(a.f1, b.f1, 1e-4f);
        EXPECT_NEAR(a.f2, b.f2, 1e-4f);
        EXPECT_EQ(a.id, b.id);
    }
}

TEST(Noise, ValuesStayInTheirRangesAndDependOnTheSeed)
{
    int differing = 0;
    for (int i = 0; i < 1000; ++i) {
        const float u = 0.00931f * static_cast<float>(i);
        const float n = Noise::fbm(u, 1.0f - u, 4, 4, 5, 3u);
        EXPECT_GE(n, -1.0f);
        EXPECT_LE(n, 1.0f);
        const float r = Noise::ridged(u, u, 4, 4, 3, 3u);
        EXPECT_GE(r, 0.0f);
        EXPECT_LE(r, 1.0f);
        const Noise::Cell cell = Noise::worley(u, 0.3f, 5, 5, 3u);
        EXPECT_LE(cell.f1, cell.f2);
        differing += std::fabs(n - Noise::fbm(u, 1.0f - u, 4, 4, 5, 4u)) > 1e-3f ? 1 : 0;
        const float g = Noise::gradient(Vector3(u * 7.0f, u * 3.0f, 1.5f), 5u);
        EXPECT_LE(std::fabs(g), 1.2f);
    }
    EXPECT_GT(differing, 900);
}
