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
    // The most the level turns in one frame, as fast as a hand tilts a board; a
    // whole mouse flick in one frame would fling the ball off the level.
    static constexpr float MAX_TILT_STEP = 0.5f;      // degrees per frame about each axis

    float lastYaw = 0.0f;  // camera yaw the tilt was last expressed in
    float tiltX = 0.0f;    // the level's tilt now
    float tiltZ = 0.0f;
    float wantedX = 0.0f;  // the tilt the player asks for; tiltX and tiltZ follow it
    float wantedZ = 0.0f;
    bool stickTilting = false;  // a controller's left stick holds the tilt

    // With the space bar held, turns mouse movement into the wanted tilt. A
    // camera turn drops that frame's movement and turns the tilt with the camera
    // instead. A controller's left stick out of its centre sets the wanted tilt
    // itself (full travel, MAX_TILT); back at the centre it levels the level
    // again. The level's tilt moves towards the wanted one by at most
    // MAX_TILT_STEP, also after the space bar is let go, and goes to the physics.
    void updateTilt(float frameTime, const Camera& camera);
    // Level back to level, in the record and in the physics.
    void resetTilt();
    // The level's orientation: tilted about the camera's axes whatever its yaw.
    Matrix4 tiltMatrix(const Camera& camera) const;
    // Is the ball within TARGET_RADIUS of the target, as the level body carries it?
    bool isTargetReached(const Vector3& ballPosition) const;
    // The ball's height in the level's own, untilted frame.
    float heightInLevel(const Vector3& ballPosition) const;
};
