#pragma once

#include "effects/Particle.h"
#include "math/Matrix4.h"
#include "math/Vector3.h"

#include <cassert>
#include <memory>

class SpriteBatch;

// Holds the live particles in a fixed pool and moves them: straight-line motion with
// a velocity factor, or a closed-form ballistic throw under the emitter's own gravity
// that ends on a ground plane, optionally bursting into children there.
// Removal moves the last particle into the hole, so pool order is not stable.
class ParticleEmitter {
public:
    static constexpr float DEFAULT_GRAVITY = -100.0f;  // along y, units per second squared
    static constexpr int BURST_CHILDREN = 24;
    // A ballistic particle at most this far above the ground plane has hit it.
    static constexpr float GROUND_TOLERANCE = 0.001f;

    ParticleEmitter() = default;

    // Allocates a pool of capacity particles (freeing any old one); count and clock 0.
    void init(int capacity);
    // Frees the pool; emit and update do nothing until the next init.
    void clear();

    // The ground plane in level coordinates, through point with the given normal.
    void setGroundPlane(const Vector3& normal, const Vector3& point);

    // Appends one particle whose size, colour, angle and frame change linearly from
    // their start to their end values over its lifetime, every frame from firstFrame
    // to lastFrame shown for an equal share. Returns its index, or -1 when the pool is full.
    int emit(float lifetime, float firstFrame, float lastFrame, const Vector3& position,
             const Vector3& velocity, float velocityFactor, float startSize, float endSize,
             float startR, float startG, float startB, float startA, float endR, float endG,
             float endB, float endA, float startAngle, float endAngle, bool ballistic,
             float birthTime, bool burstOnImpact, bool hitsGround, bool billboard);

    // Advances every particle by dt seconds. now is the caller's clock, the birth time
    // of burst children; level turns the stored ground-plane normal for this update.
    void update(float dt, float now, const Matrix4& level);

    // Adds every live particle to the batch as a sprite; refused sprites are dropped.
    void submit(SpriteBatch& batch) const;

    int count() const { return live; }
    int capacity() const { return poolCapacity; }
    float clock() const { return time; }
    float gravity() const { return gravityY; }
    const Particle& particle(int index) const
    {
        assert(index >= 0 && index < live);
        return pool[index];
    }

private:
    // Moves particle i by dt; true when it dies in this update.
    bool step(int i, float dt, float now, const Vector3& groundNormal);
    void burst(const Particle& parent, float now);
    // Removes particle i during an update pass whose not-yet-stepped particles end at *pending.
    void removeDuringPass(int i, int* pending);

    std::unique_ptr<Particle[]> pool;
    int poolCapacity = 0;
    int live = 0;
    Vector3 groundNormal{0.0f, 1.0f, 0.0f};
    Vector3 groundPoint;
    float time = 0.0f;  // seconds since init
    float gravityY = DEFAULT_GRAVITY;
};
