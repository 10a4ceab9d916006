#pragma once

#include "math/Vector3.h"

// One live particle of a ParticleEmitter's pool. Times in seconds, rates per second.
struct Particle {
    float life = 0.0f;       // remaining life; the particle dies when it reaches 0
    float birthTime = 0.0f;  // emitter clock at birth, drives the ballistic throw
    float frame = 0.0f;      // atlas frame, drawn truncated toward zero
    float frameRate = 0.0f;
    Vector3 position;
    Vector3 velocity;
    Vector3 startPosition;
    Vector3 startVelocity;
    float velocityFactor = 1.0f;  // velocity is scaled by velocityFactor^dt; 1 keeps it
    float size = 0.0f;            // edge length of the square sprite
    float sizeRate = 0.0f;
    float colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // RGBA
    float colourRate[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float angle = 0.0f;  // sprite rotation in radians
    float angleRate = 0.0f;
    bool ballistic = false;      // position follows the closed-form throw
    bool hitsGround = false;     // a ballistic particle dies on the ground plane
    bool burstOnImpact = false;  // ... and bursts into children there
    bool billboard = true;       // false: stands upright and turns only about world y
};
