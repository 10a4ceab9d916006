#include "effects/ParticleEmitter.h"

#include "effects/SpriteBatch.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float TOLERANCE = 1e-4f;
constexpr float DT = 0.025f;  // the game's frame time
const Matrix4 UNTILTED;

// The emit arguments with the game's defaults; tests change what they need.
struct Emission {
    float lifetime = 1.0f, firstFrame = 0.0f, lastFrame = 0.0f;
    Vector3 position, velocity;
    float velocityFactor = 1.0f, startSize = 1.0f, endSize = 1.0f;
    float startColour[4] = {1.0f, 1.0f, 1.0f, 1.0f}, endColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float startAngle = 0.0f, endAngle = 0.0f;
    bool ballistic = false;
    float birthTime = 0.0f;
    bool burstOnImpact = false, hitsGround = false, billboard = true;

    int into(ParticleEmitter& emitter) const
    {
        return emitter.emit(lifetime, firstFrame, lastFrame, position, velocity, velocityFactor, startSize, endSize,
                            startColour[0], startColour[1], startColour[2], startColour[3], endColour[0], endColour[1],
                            endColour[2], endColour[3], startAngle, endAngle, ballistic, birthTime, burstOnImpact,
                            hitsGround, billboard);
    }
};

Emission groundHitter(const Vector3& position)
{
    Emission e;
    e.lifetime = 10.0f;
    e.position = position;
    e.ballistic = true;
    e.hitsGround = true;
    return e;
}

// A burst parent born one frame late at (3, 0, -2): at the first update its age is
// 0, it lies on the ground and bursts.
Emission burstParent()
{
    Emission e = groundHitter({3.0f, 0.0f, -2.0f});
    e.birthTime = DT;
    e.lifetime = 2.0f;
    e.firstFrame = 2.0f;
    e.lastFrame = 17.0f;
    e.startSize = 4.0f;
    e.endSize = 8.0f;
    e.endColour[3] = 0.0f;
    e.endAngle = 1.0f;
    e.burstOnImpact = true;
    e.billboard = false;
    return e;
}

// Sprites the batch accepts from the emitter; frame k lies at atlas x = 64 k, and
// frameOfFirst receives the frame the first sprite is drawn with.
int submitted(const ParticleEmitter& emitter, int* frameOfFirst = nullptr)
{
    SpriteBatch batch;
    batch.allocate(emitter.capacity());
    for (int k = 0; k < 16; ++k) {
        const float origin[2] = {64.0f * k, 0.0f};
        const float size[2] = {32.0f, 32.0f};
        batch.defineFrame(k, origin, size);
    }
    batch.prepare(Matrix4(), Vector3());
    emitter.submit(batch);
    if (frameOfFirst && batch.spriteCount() > 0)
        *frameOfFirst = static_cast<int>(std::lround(batch.vertices()[0].u * SpriteBatch::ATLAS_SIZE / 64.0f));
    return batch.spriteCount();
}

// Emits a ground hitter at each position, advances 1 ms (a fall of 50 nanometres)
// and returns the start positions of those still alive.
std::vector<Vector3> survivors(ParticleEmitter& emitter, const std::vector<Vector3>& positions, const Matrix4& level)
{
    emitter.init(10);
    for (const Vector3& p : positions)
        groundHitter(p).into(emitter);
    emitter.update(0.001f, 0.001f, level);
    std::vector<Vector3> alive;
    for (int i = 0; i < emitter.count(); ++i)
        alive.push_back(emitter.particle(i).startPosition);
    return alive;
}

}  // namespace

// Size, colour and angle change linearly, too; halfway through they are halfway.
TEST(ParticleEmitter, ShowsEveryFrameForAnEqualShareOfTheLife)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 2.0f;
    e.firstFrame = 3.0f;
    e.lastFrame = 5.0f;
    e.startSize = 2.0f;
    e.endSize = 6.0f;
    e.startColour[1] = 0.0f;
    e.endColour[0] = e.endColour[3] = 0.0f;
    e.endAngle = 3.0f;
    e.into(emitter);

    // Steps of 1/8 s are exact in binary, so the frame boundaries at 2/3 and 4/3 s are clear.
    const int expected[] = {3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5};
    for (int step = 0; step < 15; ++step) {
        emitter.update(0.125f, (step + 1) * 0.125f, UNTILTED);
        int frame = -1;
        ASSERT_EQ(submitted(emitter, &frame), 1);
        EXPECT_EQ(frame, expected[step]) << "at age " << (step + 1) * 0.125f;
        if (step == 7) {
            const Particle& p = emitter.particle(0);
            EXPECT_NEAR(p.size, 4.0f, TOLERANCE);
            const float halfway[4] = {0.5f, 0.5f, 1.0f, 0.5f};
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(p.colour[c], halfway[c], TOLERANCE) << "channel " << c;
            EXPECT_NEAR(p.angle, 1.5f, TOLERANCE);
        }
    }
    emitter.update(0.125f, 2.0f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
}

// Removal moves the last particle into the hole: an expired one moved there must go
// in the same update, a survivor moved there must still be stepped.
TEST(ParticleEmitter, ExpiredParticlesAreRemovedBeforeTheyAreDrawnAgain)
{
    ParticleEmitter emitter;
    emitter.init(10);
    const float lives[] = {0.01f, 1.0f, 0.02f, 1.0f, 0.025f};
    for (float life : lives) {
        Emission e;
        e.lifetime = life;
        e.velocity = {1.0f, 0.0f, 0.0f};
        e.into(emitter);
    }
    emitter.update(DT, DT, UNTILTED);
    ASSERT_EQ(emitter.count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(emitter.particle(i).life, 0.975f, TOLERANCE);
        EXPECT_NEAR(emitter.particle(i).position.x, 0.025f, TOLERANCE);
    }
    EXPECT_EQ(submitted(emitter), 2);
}

// y = 50 t - 100 / 2 t^2 is 12.5 at age 0.5, counted from the birth time.
TEST(ParticleEmitter, BallisticThrowFollowsTheClosedFormFromItsBirthTime)
{
    ParticleEmitter emitter;
    emitter.init(2);
    Emission e;
    e.lifetime = 5.0f;
    e.velocity = {2.0f, 50.0f, -4.0f};
    e.ballistic = true;
    e.into(emitter);
    for (int step = 1; step <= 4; ++step)
        emitter.update(0.125f, step * 0.125f, UNTILTED);
    const Particle& first = emitter.particle(0);
    EXPECT_NEAR(first.position.y, 12.5f, TOLERANCE);
    EXPECT_NEAR(first.position.x, 1.0f, TOLERANCE);
    EXPECT_NEAR(first.position.z, -2.0f, TOLERANCE);
    EXPECT_NEAR(first.velocity.y, 0.0f, TOLERANCE);

    e.birthTime = 0.5f;
    e.into(emitter);
    emitter.update(0.5f, 1.0f, UNTILTED);
    EXPECT_NEAR(emitter.particle(1).position.y, 12.5f, TOLERANCE);
}

TEST(ParticleEmitter, GroundHitsFollowThePlaneAndTheLevelTilt)
{
    using Positions = std::vector<Vector3>;
    ParticleEmitter emitter;
    // Untilted ground y = 0: a particle within 0.001 above it has hit it.
    EXPECT_EQ(survivors(emitter, {{0.0f, 0.0009f, 0.0f}, {5.0f, 0.01f, 0.0f}}, UNTILTED),
              Positions({{5.0f, 0.01f, 0.0f}}));
    // Rolled 5 degrees about z the plane rises by 100 sin 5deg = 8.7 at x = 100 and
    // sinks as much at x = -100; the stored plane itself stays as it was.
    const Matrix4 tilt = Matrix4::rotationZ(5.0f * 0.017453292f);
    EXPECT_EQ(survivors(emitter, {{100.0f, 5.0f, 0.0f}, {-100.0f, 5.0f, 0.0f}}, tilt),
              Positions({{-100.0f, 5.0f, 0.0f}}));
    EXPECT_EQ(survivors(emitter, {{100.0f, 5.0f, 0.0f}}, UNTILTED), Positions({{100.0f, 5.0f, 0.0f}}));
    emitter.setGroundPlane({0.0f, 1.0f, 0.0f}, {0.0f, 10.0f, 0.0f});
    EXPECT_EQ(survivors(emitter, {{0.0f, 9.0f, 0.0f}, {0.0f, 11.0f, 0.0f}}, UNTILTED),
              Positions({{0.0f, 11.0f, 0.0f}}));
}

// The position moves with the velocity before the factor scales it, per second.
TEST(ParticleEmitter, VelocityFactorScalesVelocityPerSecond)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 10.0f;
    e.velocity = {10.0f, 0.0f, 0.0f};
    e.velocityFactor = 0.25f;
    e.into(emitter);
    emitter.update(0.5f, 0.5f, UNTILTED);
    emitter.update(0.5f, 1.0f, UNTILTED);
    EXPECT_NEAR(emitter.particle(0).position.x, 7.5f, TOLERANCE);
    EXPECT_NEAR(emitter.particle(0).velocity.x, 2.5f, TOLERANCE);
}

TEST(ParticleEmitter, FullOrClearedPoolRefusesEmission)
{
    ParticleEmitter emitter;
    emitter.init(2);
    EXPECT_EQ(Emission().into(emitter), 0);
    EXPECT_EQ(Emission().into(emitter), 1);
    EXPECT_EQ(Emission().into(emitter), -1);
    EXPECT_EQ(emitter.count(), 2);

    emitter.clear();
    EXPECT_EQ(Emission().into(emitter), -1);
    emitter.update(0.5f, 1.0f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
    emitter.init(4);
    EXPECT_FLOAT_EQ(emitter.clock(), 0.0f);
    EXPECT_EQ(Emission().into(emitter), 0);

    // A burst fills only the free slots.
    groundHitter({0.0f, 50.0f, 0.0f}).into(emitter);
    burstParent().into(emitter);
    emitter.update(DT, DT, UNTILTED);
    EXPECT_EQ(emitter.count(), 3) << "one child fitted, the parent died";
}

// Frames outside the atlas (or NaN) are never handed on as an index, and a zero
// lifetime gives no infinite rates.
TEST(ParticleEmitter, OddEmissionsAreNeitherDrawnWrongNorKeptAlive)
{
    ParticleEmitter emitter;
    emitter.init(5);
    for (float frame : {1e9f, -3.0f, std::nanf(""), 2.5f}) {
        Emission e;
        e.firstFrame = e.lastFrame = frame;
        e.into(emitter);
    }
    EXPECT_EQ(submitted(emitter), 1);
    Emission instant;
    instant.lifetime = 0.0f;
    instant.endSize = 5.0f;
    instant.into(emitter);
    EXPECT_TRUE(std::isfinite(emitter.particle(4).sizeRate));
    emitter.update(DT, DT, UNTILTED);
    EXPECT_EQ(emitter.count(), 4);
}

// The parent dies with 1.975 s left, before this update's appearance step, so at
// frame 2 and size 4; the children carry its ramps on, fall and do not burst again.
TEST(ParticleEmitter, BurstChildrenInheritTheRestOfTheParentsLifeAndRiseFromTheImpact)
{
    ParticleEmitter emitter;
    emitter.init(100);
    Random::seed(7);
    burstParent().into(emitter);
    emitter.update(DT, DT, UNTILTED);
    ASSERT_EQ(emitter.count(), ParticleEmitter::BURST_CHILDREN);
    for (int i = 0; i < emitter.count(); ++i) {
        const Particle& c = emitter.particle(i);
        EXPECT_NEAR(c.life, 1.975f, TOLERANCE);
        EXPECT_NEAR(c.frame, 2.0f, TOLERANCE);
        EXPECT_NEAR(c.size, 2.0f, TOLERANCE);
        EXPECT_NEAR(c.sizeRate, 1.0f, TOLERANCE);  // to half the parent's end size
        EXPECT_EQ(c.position, Vector3(3.0f, 0.0f, -2.0f)) << "children wait for the next update";
        // An upward cone of 45 degrees: sideways up to 8, upwards up to 32.
        const Vector3 v = c.startVelocity;
        EXPECT_LE(std::hypot(v.x, v.z), 8.0f * std::sin(0.7854f) + TOLERANCE);
        EXPECT_GE(v.y, 0.0f);
        EXPECT_LE(v.y, 32.0f);
    }

    // Those climbing faster than gravity pulls them are in flight one step later...
    emitter.update(DT, 2 * DT, UNTILTED);
    ASSERT_GT(emitter.count(), 0);
    for (int i = 0; i < emitter.count(); ++i)
        EXPECT_GT(emitter.particle(i).position.y, 0.0f);
    // ...and all land within 2 * 32 / 100 s, the flight of the steepest possible throw.
    for (int step = 3; step <= 32; ++step)
        emitter.update(DT, step * DT, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
}
