#include "effects/ParticleEmitter.h"

#include "effects/SpriteBatch.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float TOLERANCE = 1e-4f;
const Matrix4 UNTILTED;

// The emit arguments with the game's defaults; tests change what they need.
struct Emission {
    float lifetime = 1.0f;
    float firstFrame = 0.0f;
    float lastFrame = 0.0f;
    Vector3 position;
    Vector3 velocity;
    float velocityFactor = 1.0f;
    float startSize = 1.0f;
    float endSize = 1.0f;
    float startColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float endColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float startAngle = 0.0f;
    float endAngle = 0.0f;
    bool ballistic = false;
    float birthTime = 0.0f;
    bool burstOnImpact = false;
    bool hitsGround = false;
    bool billboard = true;

    int into(ParticleEmitter& emitter) const
    {
        return emitter.emit(lifetime, firstFrame, lastFrame, position, velocity, velocityFactor,
                            startSize, endSize, startColour[0], startColour[1], startColour[2],
                            startColour[3], endColour[0], endColour[1], endColour[2],
                            endColour[3], startAngle, endAngle, ballistic, birthTime,
                            burstOnImpact, hitsGround, billboard);
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

// The frame a lone particle is drawn with, read back from the texture coordinate of
// its quad: frame k is defined at atlas x = 64 k.
int drawnFrame(const ParticleEmitter& emitter)
{
    SpriteBatch batch;
    batch.allocate(1);
    for (int k = 0; k < 16; ++k) {
        const float origin[2] = {64.0f * k, 0.0f};
        const float size[2] = {32.0f, 32.0f};
        batch.defineFrame(k, origin, size);
    }
    batch.prepare(Matrix4(), Vector3());
    emitter.submit(batch);
    batch.finish();
    if (batch.spriteCount() != 1)
        return -1;
    return static_cast<int>(std::lround(batch.vertices()[0].u * SpriteBatch::ATLAS_SIZE / 64.0f));
}

}  // namespace

TEST(ParticleEmitter, ShowsEveryFrameForAnEqualShareOfTheLife)
{
    ParticleEmitter emitter;
    emitter.init(10);
    Emission e;
    e.lifetime = 2.0f;
    e.firstFrame = 3.0f;
    e.lastFrame = 5.0f;
    e.into(emitter);

    // Steps of 1/8 s are exact in binary, so the frame boundaries at 2/3 and 4/3 s are clear.
    const float dt = 0.125f;
    const int expected[] = {3, 3, 3, 3, 3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5};
    for (int step = 0; step < 15; ++step) {
        emitter.update(dt, (step + 1) * dt, UNTILTED);
        EXPECT_EQ(drawnFrame(emitter), expected[step]) << "at age " << (step + 1) * dt;
    }
    emitter.update(dt, 2.0f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
}

TEST(ParticleEmitter, RampsSizeColourAndAngleOverTheLife)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 2.0f;
    e.startSize = 2.0f;
    e.endSize = 6.0f;
    const float start[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    const float end[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    std::copy(start, start + 4, e.startColour);
    std::copy(end, end + 4, e.endColour);
    e.endAngle = 3.0f;
    ASSERT_EQ(e.into(emitter), 0);

    emitter.update(1.0f, 1.0f, UNTILTED);
    const Particle& p = emitter.particle(0);
    EXPECT_NEAR(p.life, 1.0f, TOLERANCE);
    EXPECT_NEAR(p.size, 4.0f, TOLERANCE);
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(p.colour[c], 0.5f * (start[c] + end[c]), TOLERANCE) << "channel " << c;
    EXPECT_NEAR(p.angle, 1.5f, TOLERANCE);
}

TEST(ParticleEmitter, ExpiredParticlesAreRemovedBeforeTheyAreDrawnAgain)
{
    ParticleEmitter emitter;
    emitter.init(10);
    // Expiring particles at the front and the back: removing the first moves the
    // last, itself expired, into its place, and it must go in the same update.
    const float lives[] = {0.025f, 1.0f, 0.02f, 0.025f, 0.01f};
    for (float life : lives) {
        Emission e;
        e.lifetime = life;
        e.into(emitter);
    }
    emitter.update(0.025f, 0.025f, UNTILTED);
    ASSERT_EQ(emitter.count(), 1);
    EXPECT_NEAR(emitter.particle(0).life, 0.975f, TOLERANCE);

    SpriteBatch batch;
    batch.allocate(10);
    batch.prepare(Matrix4(), Vector3());
    emitter.submit(batch);
    EXPECT_EQ(batch.spriteCount(), 1);
}

TEST(ParticleEmitter, SurvivorsMovedIntoHolesAreStillMovedInThatUpdate)
{
    ParticleEmitter emitter;
    emitter.init(10);
    Emission dying;
    dying.lifetime = 0.01f;
    Emission moving;
    moving.velocity = {1.0f, 0.0f, 0.0f};
    dying.into(emitter);
    moving.into(emitter);
    moving.into(emitter);

    emitter.update(0.5f, 0.5f, UNTILTED);
    ASSERT_EQ(emitter.count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(emitter.particle(i).position.x, 0.5f, TOLERANCE);
        EXPECT_NEAR(emitter.particle(i).life, 0.5f, TOLERANCE);
    }
}

TEST(ParticleEmitter, BallisticThrowFollowsTheClosedForm)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 5.0f;
    e.velocity = {2.0f, 50.0f, -4.0f};
    e.ballistic = true;
    e.into(emitter);

    for (int step = 1; step <= 4; ++step)
        emitter.update(0.125f, step * 0.125f, UNTILTED);
    const Particle& p = emitter.particle(0);
    // y = 50 * 0.5 - 100 / 2 * 0.5^2
    EXPECT_NEAR(p.position.y, 12.5f, TOLERANCE);
    EXPECT_NEAR(p.position.x, 1.0f, TOLERANCE);
    EXPECT_NEAR(p.position.z, -2.0f, TOLERANCE);
    EXPECT_NEAR(p.velocity.y, 0.0f, TOLERANCE);
}

TEST(ParticleEmitter, BallisticAgeCountsFromTheBirthTime)
{
    ParticleEmitter emitter;
    emitter.init(1);
    emitter.update(1.0f, 1.0f, UNTILTED);  // clock 1
    Emission e;
    e.lifetime = 5.0f;
    e.velocity = {0.0f, 50.0f, 0.0f};
    e.ballistic = true;
    e.birthTime = 1.0f;
    e.into(emitter);
    emitter.update(0.5f, 1.5f, UNTILTED);
    EXPECT_NEAR(emitter.particle(0).position.y, 12.5f, TOLERANCE);
}

TEST(ParticleEmitter, UntiltedGroundIsHitAtHeightOneThousandth)
{
    ParticleEmitter emitter;
    emitter.init(10);
    groundHitter({0.0f, 0.0009f, 0.0f}).into(emitter);
    groundHitter({5.0f, 0.01f, 0.0f}).into(emitter);
    Emission notHitting = groundHitter({0.0f, -5.0f, 0.0f});
    notHitting.hitsGround = false;
    notHitting.into(emitter);

    // After 1 ms the fall is 50 nanometres: only the one within 0.001 of the plane dies.
    emitter.update(0.001f, 0.001f, UNTILTED);
    ASSERT_EQ(emitter.count(), 2);
    EXPECT_FLOAT_EQ(emitter.particle(0).startPosition.y, -5.0f);
    EXPECT_FLOAT_EQ(emitter.particle(1).startPosition.y, 0.01f);
}

TEST(ParticleEmitter, FallingParticleDiesWhenItReachesTheGround)
{
    ParticleEmitter emitter;
    emitter.init(1);
    groundHitter({0.0f, 50.0f, 0.0f}).into(emitter);  // y = 50 - 50 t^2 reaches 0 at t = 1
    for (int step = 1; step <= 7; ++step)
        emitter.update(0.125f, step * 0.125f, UNTILTED);
    ASSERT_EQ(emitter.count(), 1);
    EXPECT_GT(emitter.particle(0).position.y, 0.001f);
    emitter.update(0.125f, 1.0f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
}

TEST(ParticleEmitter, TiltedGroundPlaneFollowsTheLevel)
{
    // A 5 degree roll about z turns the normal to (-sin, cos, 0): the plane rises by
    // 100 sin 5deg = 8.7 at x = 100 and sinks as much at x = -100.
    const Matrix4 tilt = Matrix4::rotationZ(5.0f * 0.017453292f);
    ParticleEmitter emitter;
    emitter.init(10);
    groundHitter({100.0f, 5.0f, 0.0f}).into(emitter);
    groundHitter({-100.0f, 5.0f, 0.0f}).into(emitter);

    emitter.update(0.001f, 0.001f, tilt);
    ASSERT_EQ(emitter.count(), 1);
    EXPECT_FLOAT_EQ(emitter.particle(0).startPosition.x, -100.0f);

    // The stored plane is not changed by a tilted update: untilted, (100, 5) is above ground.
    groundHitter({100.0f, 5.0f, 0.0f}).into(emitter);
    emitter.update(0.001f, 0.002f, UNTILTED);
    EXPECT_EQ(emitter.count(), 2);
}

TEST(ParticleEmitter, GroundPlaneCanBeMoved)
{
    ParticleEmitter emitter;
    emitter.init(10);
    emitter.setGroundPlane({0.0f, 1.0f, 0.0f}, {0.0f, 10.0f, 0.0f});
    groundHitter({0.0f, 9.0f, 0.0f}).into(emitter);
    groundHitter({0.0f, 11.0f, 0.0f}).into(emitter);
    emitter.update(0.001f, 0.001f, UNTILTED);
    ASSERT_EQ(emitter.count(), 1);
    EXPECT_FLOAT_EQ(emitter.particle(0).startPosition.y, 11.0f);
}

TEST(ParticleEmitter, VelocityFactorScalesVelocityPerSecond)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 10.0f;
    e.velocity = {10.0f, 0.0f, 0.0f};
    e.velocityFactor = 0.25f;
    e.into(emitter);

    // The position moves with the velocity before the factor is applied.
    emitter.update(0.5f, 0.5f, UNTILTED);
    EXPECT_NEAR(emitter.particle(0).position.x, 5.0f, TOLERANCE);
    EXPECT_NEAR(emitter.particle(0).velocity.x, 5.0f, TOLERANCE);
    emitter.update(0.5f, 1.0f, UNTILTED);
    EXPECT_NEAR(emitter.particle(0).position.x, 7.5f, TOLERANCE);
    EXPECT_NEAR(emitter.particle(0).velocity.x, 2.5f, TOLERANCE);
    // Ten more steps of 0.1 s make another full second: a quarter again.
    for (int step = 0; step < 10; ++step)
        emitter.update(0.1f, 1.1f + 0.1f * step, UNTILTED);
    EXPECT_NEAR(emitter.particle(0).velocity.x, 0.625f, TOLERANCE);
}

TEST(ParticleEmitter, FullPoolRefusesEmission)
{
    ParticleEmitter emitter;
    emitter.init(2);
    EXPECT_EQ(Emission().into(emitter), 0);
    EXPECT_EQ(Emission().into(emitter), 1);
    EXPECT_EQ(Emission().into(emitter), -1);
    EXPECT_EQ(emitter.count(), 2);
}

TEST(ParticleEmitter, ClearedPoolIgnoresEmitAndUpdateUntilInit)
{
    ParticleEmitter emitter;
    emitter.init(4);
    Emission().into(emitter);
    emitter.update(0.5f, 0.5f, UNTILTED);
    emitter.clear();
    EXPECT_EQ(emitter.count(), 0);
    EXPECT_EQ(emitter.capacity(), 0);
    EXPECT_EQ(Emission().into(emitter), -1);
    emitter.update(0.5f, 1.0f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);

    emitter.init(4);
    EXPECT_FLOAT_EQ(emitter.clock(), 0.0f);
    EXPECT_EQ(Emission().into(emitter), 0);
}

TEST(ParticleEmitter, SubmitSkipsFramesOutsideTheAtlas)
{
    ParticleEmitter emitter;
    emitter.init(4);
    const float frames[] = {1e9f, -3.0f, std::nanf(""), 2.5f};
    for (float frame : frames) {
        Emission e;
        e.firstFrame = e.lastFrame = frame;
        e.into(emitter);
    }
    SpriteBatch batch;
    batch.allocate(4);
    batch.prepare(Matrix4(), Vector3());
    emitter.submit(batch);
    EXPECT_EQ(batch.spriteCount(), 1);
}

TEST(ParticleEmitter, ZeroLifetimeDiesAtTheNextUpdate)
{
    ParticleEmitter emitter;
    emitter.init(1);
    Emission e;
    e.lifetime = 0.0f;
    e.endSize = 5.0f;
    e.into(emitter);
    EXPECT_TRUE(std::isfinite(emitter.particle(0).sizeRate));
    emitter.update(0.025f, 0.025f, UNTILTED);
    EXPECT_EQ(emitter.count(), 0);
}

namespace {

// A burst parent touching the ground: it bursts in the next update.
Emission burstParent()
{
    Emission e = groundHitter({3.0f, 0.0f, -2.0f});
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

std::vector<Vector3> expectedBurstVelocities(int children)
{
    std::vector<Vector3> result;
    for (int k = 0; k < children; ++k) {
        const float a = Random::next() / 32767.0f * 6.2831853f;
        const float b = Random::next() / 32767.0f * 0.78539816f;
        const float r = Random::next() / 32767.0f;
        result.push_back({std::cos(a) * std::sin(b) * 8.0f, std::cos(b) * r * 32.0f,
                          std::sin(a) * std::sin(b) * 8.0f});
    }
    return result;
}

void sortByHeight(std::vector<Vector3>& v)
{
    std::sort(v.begin(), v.end(), [](const Vector3& a, const Vector3& b) { return a.y < b.y; });
}

}  // namespace

TEST(ParticleEmitter, BurstChildrenInheritTheRestOfTheParentsLife)
{
    Random::seed(7);
    const std::vector<Vector3> expected = expectedBurstVelocities(ParticleEmitter::BURST_CHILDREN);
    Random::seed(7);

    ParticleEmitter emitter;
    emitter.init(100);
    burstParent().into(emitter);
    const float dt = 0.5f;
    emitter.update(dt, 0.75f, UNTILTED);
    ASSERT_EQ(emitter.count(), ParticleEmitter::BURST_CHILDREN);

    // The parent dies with 1.5 s left, before this update's appearance step, so at
    // frame 2, size 4, alpha 1, angle 0; the children carry its ramps to its end values.
    std::vector<Vector3> velocities;
    for (int i = 0; i < emitter.count(); ++i) {
        const Particle& c = emitter.particle(i);
        velocities.push_back(c.startVelocity);
        EXPECT_NEAR(c.life, 1.5f, TOLERANCE);
        EXPECT_NEAR(c.frame, 2.0f, TOLERANCE);
        EXPECT_NEAR(c.frameRate, 8.0f, TOLERANCE);
        EXPECT_NEAR(c.size, 2.0f, TOLERANCE);
        EXPECT_NEAR(c.sizeRate, 1.0f, TOLERANCE);  // to half the parent's end size, 7 / 2
        EXPECT_NEAR(c.colour[3], 1.0f, TOLERANCE);
        EXPECT_NEAR(c.colourRate[3], -0.5f, TOLERANCE);
        EXPECT_NEAR(c.angle, 0.0f, TOLERANCE);
        EXPECT_NEAR(c.angleRate, 0.5f, TOLERANCE);
        EXPECT_EQ(c.position, Vector3(3.0f, -12.5f, -2.0f));
        EXPECT_FLOAT_EQ(c.birthTime, 0.75f);
        EXPECT_TRUE(c.ballistic);
        EXPECT_TRUE(c.hitsGround);
        EXPECT_FALSE(c.burstOnImpact);
        EXPECT_TRUE(c.billboard);
    }
    std::vector<Vector3> sortedExpected = expected;
    sortByHeight(sortedExpected);
    sortByHeight(velocities);
    for (std::size_t k = 0; k < velocities.size(); ++k) {
        EXPECT_NEAR(velocities[k].x, sortedExpected[k].x, TOLERANCE);
        EXPECT_NEAR(velocities[k].y, sortedExpected[k].y, TOLERANCE);
        EXPECT_NEAR(velocities[k].z, sortedExpected[k].z, TOLERANCE);
    }
}

TEST(ParticleEmitter, BurstFillsOnlyTheFreeSlots)
{
    ParticleEmitter emitter;
    emitter.init(20);
    for (int i = 0; i < 9; ++i) {
        Emission filler;
        filler.lifetime = 10.0f;
        filler.into(emitter);
    }
    burstParent().into(emitter);
    ASSERT_EQ(emitter.count(), 10);

    emitter.update(0.025f, 0.025f, UNTILTED);
    // Ten children fitted, the parent died.
    EXPECT_EQ(emitter.count(), 19);
    int children = 0;
    for (int i = 0; i < emitter.count(); ++i)
        children += emitter.particle(i).ballistic ? 1 : 0;
    EXPECT_EQ(children, 10);
}

TEST(ParticleEmitter, BurstChildrenRiseFromTheImpactPoint)
{
    // A parent born one step late sits exactly on the plane at the next update.
    const float dt = 0.025f;
    ParticleEmitter emitter;
    emitter.init(100);
    Emission parent = burstParent();
    parent.position = {0.0f, 0.0f, 0.0f};
    parent.birthTime = dt;
    parent.into(emitter);
    float now = dt;
    emitter.update(dt, now, UNTILTED);
    ASSERT_EQ(emitter.count(), ParticleEmitter::BURST_CHILDREN);
    for (int i = 0; i < emitter.count(); ++i)
        EXPECT_EQ(emitter.particle(i).position, Vector3()) << "children wait for the next update";

    // One step later the children climbing faster than gravity pulls them are in flight.
    now += dt;
    emitter.update(dt, now, UNTILTED);
    ASSERT_GT(emitter.count(), 0);
    for (int i = 0; i < emitter.count(); ++i)
        EXPECT_GT(emitter.particle(i).position.y, 0.0f);

    // All land within 2 * 32 / 100 s, the flight of the steepest possible throw.
    for (int step = 0; step < 30; ++step) {
        now += dt;
        emitter.update(dt, now, UNTILTED);
    }
    EXPECT_EQ(emitter.count(), 0);
}
