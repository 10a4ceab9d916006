#include "tools/MipChain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

float meanLinear(const Image& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += std::pow(image.at(x, y).r, 2.2);
    }
    return static_cast<float>(sum / (image.width() * image.height()));
}

}  // namespace

TEST(MipChain, HalvesDownToOnePixelKeepingTheBrightness)
{
    // A fine checkerboard: point sampling would keep only one of its colours.
    Image base(64, 64);
    base.fill([](int x, int y) { return (x + y) % 2 == 0 ? Colour(1.0f, 1.0f, 1.0f) : Colour(0.0f, 0.0f, 0.0f); });
    const std::vector<Image> levels = MipChain::build(base);
    ASSERT_EQ(levels.size(), 7u);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        EXPECT_EQ(levels[i].width(), 64 >> i);
        // Averaged in linear light: the mean intensity stays one half.
        EXPECT_NEAR(meanLinear(levels[i]), 0.5f, 0.02f) << "level " << i;
    }
    // Mid grey in sRGB terms, about 0.73, not the 0.5 of averaging the stored values.
    EXPECT_NEAR(levels.back().at(0, 0).r, 0.73f, 0.02f);
}
