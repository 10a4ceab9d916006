#include "tools/NormalMapBuilder.h"

#include "tools/Image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A normal map of 32 x 32 heights (0..1 in alpha) with relief 0.05.
Image normalsOf(float (*height)(int x, int y))
{
    Image image(32, 32);
    image.fill([&](int x, int y) { return Colour(0.0f, 0.0f, 0.0f, height(x, y)); });
    return NormalMapBuilder::build(image, 0.05f);
}

}  // namespace

// Flat ground points straight out; height rising along s (x) tilts the normal
// towards -s, rising along t (the next row) towards -t; the height stays in alpha.
TEST(NormalMapBuilder, NormalsLeanAwayFromRisingGroundAlongSAndT)
{
    const Colour flat = normalsOf([](int, int) { return 0.4f; }).at(10, 20);
    EXPECT_NEAR(flat.r, 0.5f, 1e-5f);
    EXPECT_NEAR(flat.g, 0.5f, 1e-5f);
    EXPECT_NEAR(flat.b, 1.0f, 1e-5f);
    EXPECT_NEAR(flat.a, 0.4f, 1e-5f);

    const Image alongS = normalsOf([](int x, int) { return 0.5f + 0.3f * std::sin(6.2831853f * x / 32.0f); });
    EXPECT_LT(alongS.at(0, 5).r, 0.5f);   // rising at x = 0
    EXPECT_GT(alongS.at(16, 5).r, 0.5f);  // falling at x = 16
    EXPECT_NEAR(alongS.at(0, 5).g, 0.5f, 1e-5f);
    const Image alongT = normalsOf([](int, int y) { return 0.5f + 0.3f * std::sin(6.2831853f * y / 32.0f); });
    EXPECT_LT(alongT.at(5, 0).g, 0.5f);
    EXPECT_NEAR(alongT.at(5, 0).r, 0.5f, 1e-5f);
}
