#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

class ParticleEmitter;

// What the game emits, and how: the bursts, the ball's trail, each world's
// weather, the target marker and the fireworks.
class ParticleEffects {
public:
    enum class Weather { LEAVES, SPARKS, DROPS };

    explicit ParticleEffects(ParticleEmitter& emitter);

    // 50 pairs of exploding, fading puffs around the lost ball.
    void lossBurst(const Vector3& position);
    // The same burst drawn with the glow sprite where the target was reached.
    void targetBurst(const Vector3& position);
    // Sparks thrown up behind a rolling ball moving with velocity.
    void trail(const Vector3& ballPosition, const Vector3& velocity, float now);
    // One frame of a world's weather.
    void levelParticles(Weather weather);
    // A spark of the colour (red, green, blue) circling the target; target in
    // level coordinates, levelPose the level body's pose.
    void targetMarker(const Vector3& colour, const Vector3& target, const Matrix4& levelPose);
    // A thousand sparks from one random centre above the level.
    void firework();

private:
    void burst(const Vector3& position, float firstFrame, float lastFrame);

    ParticleEmitter& emitter;
};
