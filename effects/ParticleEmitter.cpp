#include "effects/ParticleEmitter.h"

#include "effects/SpriteBatch.h"
#include "math/MathConstants.h"
#include "math/Random.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace {

// Burst children leave the impact point on an upward cone: sideways speed up to
// BURST_SPREAD_SPEED, upward speed up to BURST_RISE_SPEED.
constexpr float BURST_CONE = PI / 4.0f;
constexpr float BURST_SPREAD_SPEED = 8.0f;
constexpr float BURST_RISE_SPEED = 32.0f;

// Frames are drawn truncated toward zero. Frames that cannot be a valid index (and NaN)
// become -1, which the batch refuses; casting them as they are would be undefined.
int truncatedFrame(float frame)
{
    if (!(frame > -1.0f && frame < static_cast<float>(SpriteBatch::FRAME_COUNT)))
        return -1;
    return static_cast<int>(frame);
}

void applyVelocityFactor(Particle& p, float dt)
{
    if (p.velocityFactor != 1.0f)
        p.velocity *= std::pow(p.velocityFactor, dt);
}

void advanceAppearance(Particle& p, float dt)
{
    p.frame += p.frameRate * dt;
    p.size += p.sizeRate * dt;
    for (int c = 0; c < 4; ++c)
        p.colour[c] += p.colourRate[c] * dt;
    p.angle += p.angleRate * dt;
}

}  // namespace

void ParticleEmitter::init(int capacity)
{
    assert(capacity >= 0);
    poolCapacity = capacity > 0 ? capacity : 0;
    pool = std::make_unique<Particle[]>(static_cast<std::size_t>(poolCapacity));
    live = 0;
    time = 0.0f;
}

void ParticleEmitter::clear()
{
    pool.reset();
    poolCapacity = 0;
    live = 0;
}

void ParticleEmitter::setGroundPlane(const Vector3& normal, const Vector3& point)
{
    groundNormal = normal;
    groundPoint = point;
}

int ParticleEmitter::emit(float lifetime, float firstFrame, float lastFrame,
                          const Vector3& position, const Vector3& velocity, float velocityFactor,
                          float startSize, float endSize, float startR, float startG,
                          float startB, float startA, float endR, float endG, float endB,
                          float endA, float startAngle, float endAngle, bool ballistic,
                          float birthTime, bool burstOnImpact, bool hitsGround, bool billboard)
{
    if (live >= poolCapacity)
        return -1;

    // A particle without life dies at the next update before any rate is used;
    // zero rates keep infinities out of the pool.
    const float k = lifetime > 0.0f ? 1.0f / lifetime : 0.0f;
    Particle& p = pool[live];
    p.life = lifetime;
    p.birthTime = birthTime;
    p.frame = firstFrame;
    // lastFrame + 1: the last frame is shown for a full share of the life, too.
    p.frameRate = (lastFrame + 1.0f - firstFrame) * k;
    p.position = p.startPosition = position;
    p.velocity = p.startVelocity = velocity;
    p.velocityFactor = velocityFactor;
    p.size = startSize;
    p.sizeRate = (endSize - startSize) * k;
    const float start[4] = {startR, startG, startB, startA};
    const float end[4] = {endR, endG, endB, endA};
    for (int c = 0; c < 4; ++c) {
        p.colour[c] = start[c];
        p.colourRate[c] = (end[c] - start[c]) * k;
    }
    p.angle = startAngle;
    p.angleRate = (endAngle - startAngle) * k;
    p.ballistic = ballistic;
    p.hitsGround = hitsGround;
    p.burstOnImpact = burstOnImpact;
    p.billboard = billboard;
    return live++;
}

void ParticleEmitter::update(float dt, float now, const Matrix4& level)
{
    if (!pool)
        return;
    time += dt;
    // The plane is stored in level coordinates; particles fly in world coordinates.
    const Vector3 normal = Vector3::normalized(Matrix4::transformPoint(level, groundNormal));

    // Particles [0, pending) are those alive when the pass began and not yet removed;
    // burst children appended behind them take their first step in the next update,
    // because they start on the plane their parent has just hit.
    int pending = live;
    int i = 0;
    while (i < pending) {
        if (step(i, dt, now, normal))
            removeDuringPass(i, &pending);  // slot i now holds a particle still to step
        else
            ++i;
    }
}

bool ParticleEmitter::step(int i, float dt, float now, const Vector3& normal)
{
    Particle& p = pool[i];
    p.life -= dt;
    if (p.life <= 0.0f)
        return true;

    if (!p.ballistic) {
        p.position += p.velocity * dt;
        applyVelocityFactor(p, dt);
    } else {
        // Closed form from the start values, so the path does not depend on the frame times.
        const float age = time - p.birthTime;
        p.position = p.startPosition + p.startVelocity * age;
        p.position.y += 0.5f * gravityY * age * age;
        p.velocity.y = p.startVelocity.y + gravityY * age;
        if (p.hitsGround && (groundPoint - p.position).dot(normal) >= -GROUND_TOLERANCE) {
            if (p.burstOnImpact)
                burst(p, now);
            return true;
        }
        applyVelocityFactor(p, dt);
    }
    advanceAppearance(p, dt);
    return false;
}

void ParticleEmitter::burst(const Particle& parent, float now)
{
    // The children live out the parent's remaining life at half its size, taking over
    // the rest of its frame, colour, size and angle ramps. All draws are made even when
    // the pool is full, so the random sequence does not depend on the pool.
    const float rest = parent.life;
    const float lastFrame = parent.frame + parent.frameRate * rest - 1.0f;
    const float endSize = (parent.size + parent.sizeRate * rest) * 0.5f;
    float endColour[4];
    for (int c = 0; c < 4; ++c)
        endColour[c] = parent.colour[c] + parent.colourRate[c] * rest;
    const float endAngle = parent.angle + parent.angleRate * rest;

    for (int k = 0; k < BURST_CHILDREN; ++k) {
        const float a = Random::fraction() * 2.0f * PI;
        const float b = Random::fraction() * BURST_CONE;
        const float r = Random::fraction();
        const Vector3 velocity(std::cos(a) * std::sin(b) * BURST_SPREAD_SPEED,
                               std::cos(b) * r * BURST_RISE_SPEED,
                               std::sin(a) * std::sin(b) * BURST_SPREAD_SPEED);
        emit(rest, parent.frame, lastFrame, parent.position, velocity, parent.velocityFactor,
             parent.size * 0.5f, endSize, parent.colour[0], parent.colour[1], parent.colour[2],
             parent.colour[3], endColour[0], endColour[1], endColour[2], endColour[3],
             parent.angle, endAngle, true, now, false, true, true);
    }
}

void ParticleEmitter::removeDuringPass(int i, int* pending)
{
    // Constant time: the last particle still to step fills the hole, and the newest
    // burst child (if any) fills its place, keeping the children behind the rest.
    const int lastPending = *pending - 1;
    const int last = live - 1;
    if (i != lastPending)
        pool[i] = pool[lastPending];
    if (lastPending != last)
        pool[lastPending] = pool[last];
    --*pending;
    --live;
}

void ParticleEmitter::submit(SpriteBatch& batch) const
{
    for (int i = 0; i < live; ++i) {
        const Particle& p = pool[i];
        const float size[2] = {p.size, p.size};
        batch.addSprite(truncatedFrame(p.frame), p.position, p.colour[0], p.colour[1],
                        p.colour[2], p.colour[3], size, p.angle, p.billboard);
    }
}
