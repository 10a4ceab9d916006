#include "effects/ParticleFrames.h"

#include "effects/SpriteBatch.h"

#include <gtest/gtest.h>

namespace {

// The texture coordinates of a frame's first and third corner, in pixels.
struct PixelRect {
    float x0, y0, x1, y1;
};

PixelRect frameRect(SpriteBatch& batch, int frame)
{
    const float size[2] = {1.0f, 1.0f};
    batch.prepare(Matrix4(), Vector3());
    const int sprite = batch.addSprite(frame, Vector3(), 1, 1, 1, 1, size, 0.0f, true);
    const SpriteBatch::Vertex* v = batch.vertices() + 4 * sprite;
    return {v[0].u * 1024.0f, v[0].v * 1024.0f, v[2].u * 1024.0f, v[2].v * 1024.0f};
}

void expectFrame(SpriteBatch& batch, int frame, float x, float y, float edge)
{
    const PixelRect r = frameRect(batch, frame);
    EXPECT_FLOAT_EQ(r.x0, x) << "frame " << frame;
    EXPECT_FLOAT_EQ(r.y0, y) << "frame " << frame;
    EXPECT_FLOAT_EQ(r.x1, x + edge) << "frame " << frame;
    EXPECT_FLOAT_EQ(r.y1, y + edge) << "frame " << frame;
}

}  // namespace

TEST(ParticleFrames, DefinesTheFortyAtlasCells)
{
    SpriteBatch batch;
    batch.allocate(1);
    ParticleFrames::defineAll(batch);
    for (int k = 0; k < ParticleFrames::COUNT; ++k)
        EXPECT_TRUE(batch.isFrameDefined(k)) << "frame " << k;
    EXPECT_FALSE(batch.isFrameDefined(ParticleFrames::COUNT));

    expectFrame(batch, 0, 0.0f, 768.0f, 127.0f);
    expectFrame(batch, 1, 128.0f, 768.0f, 31.0f);
    // Two blocks of 4 x 4 cells of 128 pixels, filled column by column.
    for (int i = 2; i <= 17; ++i)
        expectFrame(batch, i, 128.0f * ((i - 2) / 4), 256.0f + 128.0f * ((i - 2) % 4), 127.0f);
    for (int i = 23; i <= 38; ++i)
        expectFrame(batch, i, 512.0f + 128.0f * ((i - 23) / 4), 512.0f + 128.0f * ((i - 23) % 4),
                    127.0f);
    const float large[5][2] = {{0, 0}, {512, 0}, {512, 256}, {768, 0}, {768, 256}};
    for (int i = 0; i < 5; ++i)
        expectFrame(batch, 18 + i, large[i][0], large[i][1], 255.0f);
    expectFrame(batch, 39, 256.0f, 0.0f, 127.0f);
}
