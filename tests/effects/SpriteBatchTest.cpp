#include "effects/SpriteBatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float TOLERANCE = 1e-5f;
constexpr float PITCH = 0.3f;  // radians the test camera looks down
const float SIZE[2] = {2.0f, 4.0f};
const Vector3 CENTRE{10.0f, 20.0f, 30.0f};

int add(SpriteBatch& batch, int frame, float angle = 0.0f, bool billboard = true)
{
    return batch.addSprite(frame, CENTRE, 0.1f, 0.2f, 0.3f, 0.4f, SIZE, angle, billboard);
}

// A batch open for a camera pitched about x: right (1, 0, 0), up (0, cos, -sin);
// frame 1 covers pixels (128, 768) .. (159, 799) of the atlas.
void open(SpriteBatch& batch)
{
    batch.allocate(2);
    const float origin[2] = {128.0f, 768.0f};
    const float size[2] = {31.0f, 31.0f};
    batch.defineFrame(1, origin, size);
    batch.prepare(Matrix4::rotationX(PITCH), Vector3(0.0f, 0.0f, 100.0f));
}

void expectCorners(const SpriteBatch& batch, const Vector3 (&expected)[4])
{
    for (int k = 0; k < 4; ++k) {
        const SpriteBatch::Vertex& v = batch.vertices()[k];
        EXPECT_NEAR(v.x, expected[k].x, TOLERANCE) << "corner " << k;
        EXPECT_NEAR(v.y, expected[k].y, TOLERANCE) << "corner " << k;
        EXPECT_NEAR(v.z, expected[k].z, TOLERANCE) << "corner " << k;
        EXPECT_FLOAT_EQ(v.a, 0.4f) << "corner " << k;
    }
}

}  // namespace

TEST(SpriteBatch, AddSpriteRefusesOutsideACollectionBadFramesAndOverflow)
{
    SpriteBatch batch;
    batch.allocate(2);
    EXPECT_EQ(add(batch, 0), SpriteBatch::REFUSED) << "no collection open";

    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(add(batch, 1024), -2);
    EXPECT_EQ(add(batch, -1), -2);
    EXPECT_EQ(add(batch, 0), 0);
    EXPECT_EQ(add(batch, 1023), 1);
    EXPECT_EQ(add(batch, 0), -1);
    EXPECT_EQ(add(batch, 1024), -2) << "the frame range is checked before the room left";
    batch.finish();
    EXPECT_EQ(add(batch, 1024), -1);
    EXPECT_EQ(batch.spriteCount(), 2) << "finish keeps the sprites for drawing";

    batch.deallocate();
    batch.prepare(Matrix4(), Vector3());
    EXPECT_EQ(add(batch, 0), -1) << "nothing allocated";
}

TEST(SpriteBatch, RotatedBillboardTurnsInTheCameraPlane)
{
    SpriteBatch batch;
    open(batch);
    ASSERT_EQ(add(batch, 1, 1.5707963f), 0);
    // A quarter turn: the width runs along camera up, the height against camera right.
    const Vector3 halfX = Vector3(0.0f, std::cos(PITCH), -std::sin(PITCH)) * 2.0f;
    const Vector3 halfY(-1.0f, 0.0f, 0.0f);
    expectCorners(batch, {CENTRE - halfX + halfY, CENTRE + halfX + halfY, CENTRE + halfX - halfY,
                          CENTRE - halfX - halfY});
}

TEST(SpriteBatch, UprightSpriteStandsOnWorldUpWhateverTheCameraPitch)
{
    SpriteBatch batch;
    open(batch);
    ASSERT_EQ(add(batch, 1, 0.0f, false), 0);
    expectCorners(batch, {{9.0f, 22.0f, 30.0f}, {11.0f, 22.0f, 30.0f}, {11.0f, 18.0f, 30.0f}, {9.0f, 18.0f, 30.0f}});
}

// An undefined frame is drawn all the same, from texture coordinate 0; frames
// outside the table are ignored, not written out of bounds.
TEST(SpriteBatch, UndefinedAndOutOfRangeFramesAreHarmless)
{
    SpriteBatch batch;
    open(batch);
    EXPECT_EQ(add(batch, 7), 0);
    EXPECT_FLOAT_EQ(batch.vertices()[2].u, 0.0f);
    const float origin[2] = {0.0f, 0.0f};
    for (int frame : {-1, 1024, 1023})
        batch.defineFrame(frame, origin, SIZE);
    EXPECT_FALSE(batch.isFrameDefined(-1));
    EXPECT_FALSE(batch.isFrameDefined(1024));
    EXPECT_TRUE(batch.isFrameDefined(1023));
}
