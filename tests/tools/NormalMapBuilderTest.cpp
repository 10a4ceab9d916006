#include "tools/NormalMapBuilder.h"

#include "tools/Image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Image heightField(float (*height)(int x, int y))
{
    Image image(32, 32);
    image.fill([&](int x, int y) { return Colour(0.0f, 0.0f, 0.0f, height(x, y)); });
    return image;
}

}  // namespace

TEST(NormalMapBuilder, FlatGroundPointsStraightOutAndKeepsItsHeight)
{
    const Image map = NormalMapBuilder::build(heightField([](int, int) { return 0.4f; }), 0.05f);
    const Colour& c = map.at(10, 20);
    EXPECT_NEAR(c.r, 0.5f, 1e-5f);
    EXPECT_NEAR(c.g, 0.5f, 1e-5f);
    EXPECT_NEAR(c.b, 1.0f, 1e-5f);
    EXPECT_NEAR(c.a, 0.4f, 1e-5f);
}

TEST(NormalMapBuilder, NormalsLeanAwayFromRisingGroundAlongSAndT)
{
    // Height rising with s (x) tilts the normal towards -s: red below one half.
    const Image alongS = NormalMapBuilder::build(
        heightField([](int x, int) { return 0.5f + 0.3f * std::sin(6.2831853f * x / 32.0f); }), 0.05f);
    EXPECT_LT(alongS.at(0, 5).r, 0.5f);   // rising at x = 0
    EXPECT_GT(alongS.at(16, 5).r, 0.5f);  // falling at x = 16
    EXPECT_NEAR(alongS.at(0, 5).g, 0.5f, 1e-5f);
    // Height rising with t (towards the next row) tilts it towards -t: green below one half.
    const Image alongT = NormalMapBuilder::build(
        heightField([](int, int y) { return 0.5f + 0.3f * std::sin(6.2831853f * y / 32.0f); }), 0.05f);
    EXPECT_LT(alongT.at(5, 0).g, 0.5f);
    EXPECT_NEAR(alongT.at(5, 0).r, 0.5f, 1e-5f);
    // Every normal has unit length.
    for (int y = 0; y < 32; ++y) {
        const Colour& c = alongT.at(3, y);
        const float nx = 2.0f * c.r - 1.0f;
        const float ny = 2.0f * c.g - 1.0f;
        const float nz = 2.0f * c.b - 1.0f;
        EXPECT_NEAR(nx * nx + ny * ny + nz * nz, 1.0f, 1e-4f);
    }
}
