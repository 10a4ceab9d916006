#include "tools/ParticleAtlasGenerator.h"

#include "effects/ParticleFrames.h"
#include "effects/SpriteBatch.h"

#include <gtest/gtest.h>

// The atlas is drawn into the rectangles the game cuts its sprites from, read back
// from the texture coordinates of a sprite of each frame; no two frames overlap.
TEST(ParticleAtlasGenerator, FramesAreTheRectanglesTheGameDefines)
{
    using Frame = ParticleAtlasGenerator::Frame;
    ASSERT_EQ(ParticleAtlasGenerator::FRAME_COUNT, ParticleFrames::COUNT);
    SpriteBatch batch;
    batch.allocate(ParticleFrames::COUNT);
    ParticleFrames::defineAll(batch);
    batch.prepare(Matrix4(), Vector3());
    const float size[2] = {1.0f, 1.0f};
    for (int i = 0; i < ParticleAtlasGenerator::FRAME_COUNT; ++i) {
        const Frame f = ParticleAtlasGenerator::frame(i);
        const SpriteBatch::Vertex* corners = batch.vertices() + 4 * batch.addSprite(i, Vector3(), 1, 1, 1, 1, size, 0.0f, true);
        EXPECT_FLOAT_EQ(corners[0].u * SpriteBatch::ATLAS_SIZE, static_cast<float>(f.x)) << i;
        EXPECT_FLOAT_EQ(corners[0].v * SpriteBatch::ATLAS_SIZE, static_cast<float>(f.y)) << i;
        EXPECT_FLOAT_EQ(corners[2].u * SpriteBatch::ATLAS_SIZE, static_cast<float>(f.x + f.width)) << i;
        EXPECT_FLOAT_EQ(corners[2].v * SpriteBatch::ATLAS_SIZE, static_cast<float>(f.y + f.height)) << i;
        for (int j = i + 1; j < ParticleAtlasGenerator::FRAME_COUNT; ++j) {
            const Frame g = ParticleAtlasGenerator::frame(j);
            EXPECT_TRUE(f.x + f.width <= g.x || g.x + g.width <= f.x || f.y + f.height <= g.y || g.y + g.height <= f.y)
                << i << " and " << j;
        }
    }
}
