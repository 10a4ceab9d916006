#include "effects/SpriteBatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

namespace {

constexpr float TOLERANCE = 1e-5f;
constexpr float PITCH = 0.3f;  // radians the test camera looks down
const float SIZE[2] = {2.0f, 4.0f};
const Vector3 CENTRE{10.0f, 20.0f, 30.0f};

void expectCorner(const SpriteBatch::Vertex& v, const Vector3& expected, int corner)
{
    EXPECT_NEAR(v.x, expected.x, TOLERANCE) << "corner " << corner;
    EXPECT_NEAR(v.y, expected.y, TOLERANCE) << "corner " << corner;
    EXPECT_NEAR(v.z, expected.z, TOLERANCE) << "corner " << corner;
}

// A batch open for a camera pitched about x: right (1, 0, 0), up (0, cos, -sin).
SpriteBatch* openBatch(SpriteBatch& batch, int maximum)
{
    batch.allocate(maximum);
    const float origin[2] = {128.0f, 768.0f};
    const float size[2] = {31.0f, 31.0f};
    batch.defineFrame(1, origin, size);
    batch.prepare(Matrix4::rotationX(PITCH), Vector3(0.0f, 0.0f, 100.0f));
    return &batch;
}

}  // namespace

TEST(SpriteBatch, VertexIsTheStreamedLayout)
{
    EXPECT_EQ(sizeof(SpriteBatch::Vertex), 36u);
    EXPECT_EQ(offsetof(SpriteBatch::Vertex, u), 0u);
    EXPECT_EQ(offsetof(SpriteBatch::Vertex, r), 8u);
    EXPECT_EQ(offsetof(SpriteBatch::Vertex, x), 24u);
}

TEST(SpriteBatch, AddSpriteRefusesOutsideACollectionBadFramesAndOverflow)
{
    SpriteBatch batch;
    batch.allocate(2);
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), SpriteBatch::REFUSED);

    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(batch.addSprite(1024, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -2);
    EXPECT_EQ(batch.addSprite(-1, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -2);
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), 0);
    EXPECT_EQ(batch.addSprite(1023, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), 1);
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -1);
    // The frame range is checked before the room left.
    EXPECT_EQ(batch.addSprite(1024, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -2);
    EXPECT_EQ(batch.spriteCount(), 2);
    EXPECT_EQ(batch.vertexCount(), 8);

    batch.finish();
    EXPECT_EQ(batch.addSprite(1024, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -1);
    EXPECT_EQ(batch.spriteCount(), 2) << "finish keeps the sprites for drawing";

    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(batch.spriteCount(), 0);
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), 0);
}

TEST(SpriteBatch, UnallocatedBatchRefusesEverySprite)
{
    SpriteBatch batch;
    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -1);

    batch.allocate(4);
    batch.deallocate();
    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(batch.addSprite(0, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), -1);
}

TEST(SpriteBatch, RotatedBillboardTurnsInTheCameraPlane)
{
    SpriteBatch batch;
    openBatch(batch, 1);
    ASSERT_EQ(batch.addSprite(1, CENTRE, 0.1f, 0.2f, 0.3f, 0.4f, SIZE, 1.5707963f, true), 0);

    // A quarter turn: the width runs along camera up, the height against camera right.
    const Vector3 up(0.0f, std::cos(PITCH), -std::sin(PITCH));
    const Vector3 right(1.0f, 0.0f, 0.0f);
    const Vector3 halfX = up * 2.0f;
    const Vector3 halfY = right * -1.0f;
    const Vector3 expected[4] = {CENTRE - halfX + halfY, CENTRE + halfX + halfY,
                                 CENTRE + halfX - halfY, CENTRE - halfX - halfY};
    for (int k = 0; k < 4; ++k) {
        const SpriteBatch::Vertex& v = batch.vertices()[k];
        expectCorner(v, expected[k], k);
        EXPECT_FLOAT_EQ(v.r, 0.1f);
        EXPECT_FLOAT_EQ(v.g, 0.2f);
        EXPECT_FLOAT_EQ(v.b, 0.3f);
        EXPECT_FLOAT_EQ(v.a, 0.4f);
    }
}

TEST(SpriteBatch, UprightSpriteStandsOnWorldUpWhateverTheCameraPitch)
{
    SpriteBatch batch;
    openBatch(batch, 1);
    ASSERT_EQ(batch.addSprite(1, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, false), 0);
    const Vector3 expected[4] = {{9.0f, 22.0f, 30.0f},
                                 {11.0f, 22.0f, 30.0f},
                                 {11.0f, 18.0f, 30.0f},
                                 {9.0f, 18.0f, 30.0f}};
    for (int k = 0; k < 4; ++k)
        expectCorner(batch.vertices()[k], expected[k], k);
}

TEST(SpriteBatch, CornersTakeTheFramesTextureCoordinates)
{
    SpriteBatch batch;
    openBatch(batch, 2);
    batch.addSprite(1, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true);
    // Frame 1 covers pixels (128, 768) .. (159, 799) of the 1024-pixel atlas.
    const float u0 = 128.0f / 1024.0f, u1 = 159.0f / 1024.0f;
    const float v0 = 768.0f / 1024.0f, v1 = 799.0f / 1024.0f;
    const float expected[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(batch.vertices()[k].u, expected[k][0]) << "corner " << k;
        EXPECT_FLOAT_EQ(batch.vertices()[k].v, expected[k][1]) << "corner " << k;
    }
    // An undefined frame is drawn all the same, from texture coordinate 0.
    EXPECT_FALSE(batch.isFrameDefined(7));
    EXPECT_EQ(batch.addSprite(7, CENTRE, 1, 1, 1, 1, SIZE, 0.0f, true), 1);
    EXPECT_FLOAT_EQ(batch.vertices()[6].u, 0.0f);
}

TEST(SpriteBatch, FramesOutsideTheTableAreIgnored)
{
    SpriteBatch batch;
    const float origin[2] = {0.0f, 0.0f};
    const float size[2] = {8.0f, 8.0f};
    batch.defineFrame(-1, origin, size);
    batch.defineFrame(1024, origin, size);
    batch.defineFrame(1023, origin, size);
    EXPECT_FALSE(batch.isFrameDefined(-1));
    EXPECT_FALSE(batch.isFrameDefined(1024));
    EXPECT_TRUE(batch.isFrameDefined(1023));
}

TEST(SpriteBatch, IndicesFormTwoTrianglesPerSprite)
{
    SpriteBatch batch;
    batch.allocate(3);
    const std::uint32_t* indices = batch.indices();
    for (std::uint32_t s = 0; s < 3; ++s) {
        const std::uint32_t b = 4 * s;
        const std::uint32_t expected[6] = {b, b + 2, b + 1, b, b + 3, b + 2};
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(indices[6 * s + k], expected[k]) << "sprite " << s << " index " << k;
    }
}
