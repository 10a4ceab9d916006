#pragma once

#include "level/LoadedLevel.h"
#include "math/Matrix4.h"

class Camera;

// The loaded level as the game tracks it: what the loader reported plus the
// player's tilt of the level, in degrees about the camera's horizontal axis (x)
// and its viewing direction (z).
struct LevelInfo : LoadedLevel {
    static constexpr float MAX_TILT = 5.0f;           // degrees, each way
    static constexpr float TILT_PER_PIXEL = 0.025f;   // degrees per pixel of mouse movement
    static constexpr float TARGET_RADIUS = 4.0f;      // ball centre this near the target finishes

    float lastYaw = 0.0f;  // camera yaw the tilt was last expressed in
    float tiltX = 0.0f;
    float tiltZ = 0.0f;
    bool stickTilting = false;  // a controller's left stick holds the tilt

    // With the space bar held, turns mouse movement into tilt and hands the new
    // orientation to the physics. A camera turn drops that frame's movement and
    // turns the tilt with the camera instead. A controller's left stick out of
    // its centre sets the tilt itself (full travel, MAX_TILT); back at the centre
    // it levels the level again.
    void updateTilt(float frameTime, const Camera& camera);
    // Level back to level, in the record and in the physics.
    void resetTilt();
    // The level's orientation: tilted about the camera's axes whatever its yaw.
    Matrix4 tiltMatrix(const Camera& camera) const;
    // Is the ball within TARGET_RADIUS of the target, as the level body carries it?
    bool isTargetReached(const Vector3& ballPosition) const;
};
