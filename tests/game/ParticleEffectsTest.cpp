#include "game/ParticleEffects.h"

#include "effects/ParticleEmitter.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float TOLERANCE = 1e-3f;

class ParticleEffectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Random::seed(3);
        emitter.init(5000);
    }

    // Every live particle satisfies check.
    template <typename Check>
    void forEach(Check check) const
    {
        for (int i = 0; i < emitter.count(); ++i) {
            SCOPED_TRACE(i);
            check(emitter.particle(i));
        }
    }

    ParticleEmitter emitter;
    ParticleEffects effects{emitter};
};

}  // namespace

TEST_F(ParticleEffectsTest, LossBurstIsFiftyPairsOfPuffsAroundTheBall)
{
    const Vector3 ball(10, 5, -3);
    effects.lossBurst(ball);
    ASSERT_EQ(emitter.count(), 100);
    forEach([&](const Particle& p) {
        EXPECT_LE(std::fabs(p.position.x - ball.x), 2.0f);
        EXPECT_LE(std::fabs(p.position.y - ball.y), 2.0f);
    });
    // First of each pair stays in place; the second drifts at up to 3 per axis.
    EXPECT_EQ(emitter.particle(0).velocity, Vector3());
    EXPECT_LE(std::fabs(emitter.particle(1).velocity.x), 3.0f);
}

TEST_F(ParticleEffectsTest, TrailIsThrownUpBehindTheRollingBall)
{
    const Vector3 ball(0, 3, 0);
    const Vector3 velocity(10, 0, 0);  // rolling along +x
    effects.trail(ball, velocity, 7.5f);
    ASSERT_EQ(emitter.count(), 15);
    forEach([&](const Particle& p) {
        EXPECT_TRUE(p.ballistic && p.burstOnImpact);
        EXPECT_EQ(p.birthTime, 7.5f);
        EXPECT_NEAR(p.position.x, -1.0f, 0.5f + TOLERANCE);  // one unit behind
        EXPECT_NEAR(p.position.y, 0.0f, TOLERANCE);          // at the ball's foot
        EXPECT_GT(p.velocity.y, 0.0f);
        // 25 sin(phi) at most sideways, against the ball's motion.
        EXPECT_LE(p.velocity.x, -10.0f + 25.0f * std::sin(0.7853982f) + TOLERANCE);
    });
}

TEST_F(ParticleEffectsTest, LeavesFallFromAboveUpright)
{
    effects.levelParticles(ParticleEffects::Weather::LEAVES);
    ASSERT_GT(emitter.count(), 0);
    forEach([](const Particle& p) {
        EXPECT_EQ(p.position.y, 200.0f);
        EXPECT_FALSE(p.billboard);
    });
}

TEST_F(ParticleEffectsTest, TargetMarkerCirclesTheTargetWhereTheLevelCarriesIt)
{
    const Matrix4 tilted = Matrix4::translation({0, 10, 0});
    for (int i = 0; i < 20; ++i)
        effects.targetMarker({0.25f, 1.0f, 0.25f}, {5, 2, 5}, tilted);
    forEach([](const Particle& p) {
        const Vector3 offset = p.position - Vector3(5, 12, 5);
        EXPECT_NEAR(offset.y, 0.0f, TOLERANCE);
        EXPECT_NEAR(offset.length(), 6.0f, TOLERANCE);
        EXPECT_EQ(p.colour[0], 0.25f);
        EXPECT_EQ(p.colour[1], 1.0f);
    });
}

TEST_F(ParticleEffectsTest, FireworkIsOneColourAndOneCentreSpreadingEvenly)
{
    effects.firework();
    ASSERT_EQ(emitter.count(), 1000);
    const Particle& first = emitter.particle(0);
    EXPECT_GE(first.position.y, 75.0f);
    EXPECT_LE(first.position.y, 150.0f);
    forEach([&](const Particle& p) {
        EXPECT_EQ(p.position, first.position);
        EXPECT_EQ(p.frame, first.frame);
        EXPECT_NEAR(p.velocity.length(), 400.0f, 400.0f * 0.021f);
    });
}
