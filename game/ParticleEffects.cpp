#include "game/ParticleEffects.h"

#include "effects/ParticleEmitter.h"
#include "math/MathConstants.h"
#include "math/Random.h"

#include <cmath>

namespace {

constexpr int BURST_PAIRS = 50;
constexpr int TRAIL_PARTICLES = 15;
constexpr int FIREWORK_PARTICLES = 1000;
constexpr float LOSS_FIRST_FRAME = 2.0f, LOSS_LAST_FRAME = 17.0f;  // explosion to smoke
constexpr float TARGET_BURST_FRAME = 22.0f;                        // glow
constexpr float TRAIL_FRAME = 0.0f, SPARK_FRAME = 19.0f, DROP_FRAME = 19.0f;
constexpr float MARKER_FRAME = 21.0f, LEAF_FRAME = 39.0f, FIREWORK_FRAME = 18.0f;
constexpr float MARKER_RADIUS = 6.0f;  // around the target

// a + (b - a) u for a fresh u in [0, 1].
float between(float a, float b)
{
    return a + (b - a) * Random::unit();
}

Vector3 jitter(float half)
{
    const float x = between(-half, half);
    const float y = between(-half, half);
    const float z = between(-half, half);
    return {x, y, z};
}

}  // namespace

ParticleEffects::ParticleEffects(ParticleEmitter& emitter_) : emitter(emitter_) {}

void ParticleEffects::lossBurst(const Vector3& position)
{
    burst(position, LOSS_FIRST_FRAME, LOSS_LAST_FRAME);
}

void ParticleEffects::targetBurst(const Vector3& position)
{
    burst(position, TARGET_BURST_FRAME, TARGET_BURST_FRAME);
}

// Each pair: a puff growing in place and a bigger one drifting outwards.
void ParticleEffects::burst(const Vector3& p, float firstFrame, float lastFrame)
{
    for (int i = 0; i < BURST_PAIRS; ++i) {
        float lifetime = 1.0f + 2.0f * Random::unit();
        Vector3 position = p + jitter(2.0f);
        const float startSize = 3.0f * (1.0f + Random::unit());
        const float endSize = 6.0f * (1.0f + Random::unit());
        emitter.emit(lifetime, firstFrame, lastFrame, position, Vector3(), 1.0f, startSize, endSize,
                     1, 1, 1, 1, 0, 0, 0, 0, 0, 0, false, 0, false, false, true);

        lifetime = 1.0f + 2.0f * Random::unit();
        position = p + jitter(2.0f);
        const Vector3 velocity = jitter(3.0f);
        emitter.emit(lifetime, firstFrame, lastFrame, position, velocity, 1.0f, 6.0f, 12.0f, 1, 1, 1,
                     1, 0, 0, 0, 0, 0, 0, false, 0, false, false, true);
    }
}

void ParticleEffects::trail(const Vector3& p, const Vector3& v, float now)
{
    const Vector3 behind = Vector3::normalized(Vector3(-v.x, 0.0f, -v.z));
    for (int i = 0; i < TRAIL_PARTICLES; ++i) {
        const float dx = between(-0.5f, 0.5f);
        const float dz = between(-0.5f, 0.5f);
        const Vector3 position = p + behind + Vector3(dx, -3.0f, dz);
        const float theta = 2.0f * PI * Random::fraction();
        const float phi = PI / 4.0f * Random::fraction();
        const Vector3 velocity(25.0f * std::sin(phi) * std::cos(theta) - v.x, 15.0f,
                               25.0f * std::sin(phi) * std::sin(theta) - v.z);
        emitter.emit(0.75f, TRAIL_FRAME, TRAIL_FRAME, position, velocity, 1.0f, 1.0f, 1.0f, 1, 1, 1,
                     1, 0, 0, 0, 0, 0, 0, true, now, true, false, true);
    }
}

void ParticleEffects::levelParticles(Weather weather)
{
    switch (weather) {
    case Weather::LEAVES:
        for (int i = 0; i < 20; ++i) {
            const float x = between(-200.0f, 200.0f);
            const float z = between(-200.0f, 200.0f);
            emitter.emit(5.0f, LEAF_FRAME, LEAF_FRAME, Vector3(x, 200.0f, z), Vector3(0, -50, 0), 1.0f,
                         3.0f, 5.0f, 0.5f, 0.5f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 0, 0, 0, false, 0, false,
                         false, false);
        }
        break;
    case Weather::SPARKS:
        for (int i = 0; i < 5; ++i) {
            const float lifetime = 1.0f + 2.0f * Random::unit();
            const float frame = SPARK_FRAME + std::floor(2.99f * Random::unit());
            const float x = between(-200.0f, 200.0f), y = between(0.0f, 200.0f), z = between(-200.0f, 200.0f);
            const Vector3 velocity = jitter(100.0f);
            emitter.emit(lifetime, frame, frame, Vector3(x, y, z), velocity, 1.0f, 1.0f, 10.0f, 1, 1, 1,
                         1, 1, 1, 1, 0, 0, 0, false, 0, false, false, true);
        }
        break;
    case Weather::DROPS:
        for (int i = 0; i < 5; ++i) {
            const float lifetime = 1.0f + 2.0f * Random::unit();
            const float x = between(-200.0f, 200.0f), y = between(0.0f, 200.0f), z = between(-200.0f, 200.0f);
            const float vx = between(-20.0f, 20.0f);
            const float vy = -20.0f * Random::unit();
            const float vz = between(-20.0f, 20.0f);
            emitter.emit(lifetime, DROP_FRAME, DROP_FRAME, Vector3(x, y, z), Vector3(vx, vy, vz), 1.0f,
                         1.0f, 10.0f, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, false, 0, false, false, true);
        }
        break;
    }
}

void ParticleEffects::targetMarker(const Vector3& c, const Vector3& target, const Matrix4& levelPose)
{
    const float theta = 2.0f * PI * Random::unit();
    const Vector3 onCircle(target.x + MARKER_RADIUS * std::sin(theta), target.y,
                           target.z + MARKER_RADIUS * std::cos(theta));
    emitter.emit(1.0f, MARKER_FRAME, MARKER_FRAME, Matrix4::transformPoint(levelPose, onCircle), Vector3(),
                 1.0f, 3.0f, 3.0f, c.x, c.y, c.z, 1, c.x, c.y, c.z, 0, 0, 0, false, 0, false,
                 false, true);
}

void ParticleEffects::firework()
{
    const float frame = FIREWORK_FRAME + std::floor(4.99f * Random::unit());
    const float x = between(-150.0f, 150.0f);
    const float y = 75.0f * (1.0f + Random::unit());
    const float z = between(-150.0f, 150.0f);
    const Vector3 centre(x, y, z);
    for (int i = 0; i < FIREWORK_PARTICLES; ++i) {
        const float lifetime = 0.5f + 2.5f * Random::unit();
        const Vector3 direction = Vector3::randomDirection();
        const Vector3 d = direction * (1.0f / (direction.length() + 0.0001f));
        const Vector3 velocity = d * (400.0f * (0.98f + 0.04f * Random::unit()));
        emitter.emit(lifetime, frame, frame, centre, velocity, 0.00001f, 7.5f, 0.0001f, 1, 1, 1, 1, 1,
                     1, 1, 0, 0, 0, false, 0, false, false, true);
    }
}
