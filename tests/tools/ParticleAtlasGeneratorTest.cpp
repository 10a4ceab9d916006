#include "tools/ParticleAtlasGenerator.h"

#include <gtest/gtest.h>

TEST(ParticleAtlasGenerator, FramesAreTheRectanglesTheGameDefines)
{
    using Frame = ParticleAtlasGenerator::Frame;
    auto expectFrame = [](int index, int x, int y, int w, int h) {
        const Frame f = ParticleAtlasGenerator::frame(index);
        EXPECT_EQ(f.x, x) << index;
        EXPECT_EQ(f.y, y) << index;
        EXPECT_EQ(f.width, w) << index;
        EXPECT_EQ(f.height, h) << index;
    };
    expectFrame(0, 0, 768, 127, 127);
    expectFrame(1, 128, 768, 31, 31);
    expectFrame(2, 0, 256, 127, 127);
    expectFrame(7, 128, 384, 127, 127);
    expectFrame(17, 384, 640, 127, 127);
    expectFrame(18, 0, 0, 255, 255);
    expectFrame(19, 512, 0, 255, 255);
    expectFrame(20, 512, 256, 255, 255);
    expectFrame(21, 768, 0, 255, 255);
    expectFrame(22, 768, 256, 255, 255);
    expectFrame(23, 512, 512, 127, 127);
    expectFrame(30, 640, 896, 127, 127);
    expectFrame(38, 896, 896, 127, 127);
    expectFrame(39, 256, 0, 127, 127);
    // No two frames overlap.
    for (int a = 0; a < ParticleAtlasGenerator::FRAME_COUNT; ++a) {
        for (int b = a + 1; b < ParticleAtlasGenerator::FRAME_COUNT; ++b) {
            const Frame fa = ParticleAtlasGenerator::frame(a);
            const Frame fb = ParticleAtlasGenerator::frame(b);
            const bool apart = fa.x + fa.width <= fb.x || fb.x + fb.width <= fa.x || fa.y + fa.height <= fb.y ||
                               fb.y + fb.height <= fa.y;
            EXPECT_TRUE(apart) << a << " and " << b;
        }
    }
}
