#pragma once

#include "math/Matrix4.h"
#include "math/Vector3.h"

// The orbit camera: it always looks at the world origin from distance, raised by
// pitch and turned by yaw (degrees). In user mode the mouse turns it, or with the
// right button held moves it nearer or farther; moves that would put the eye into
// or through level geometry are refused whole. In automatic mode it circles the
// level on its own (the game switches to it when a level is finished).
class Camera {
public:
    static constexpr int MODE_AUTOMATIC = 0;
    static constexpr int MODE_USER = 1;

    static constexpr float RESET_DISTANCE = 250.0f;
    static constexpr float RESET_PITCH = 25.0f;      // also the pitch the automatic orbit settles at
    static constexpr float MIN_DISTANCE = 15.0f;
    static constexpr float MAX_DISTANCE = 400.0f;
    static constexpr float MIN_PITCH = 5.0f;
    static constexpr float MAX_PITCH = 85.0f;
    static constexpr float FULL_TURN = 360.0f;
    static constexpr float TURN_RATE = 20.0f;        // degrees per pixel per second of frame time
    static constexpr float ZOOM_RATE = 30.0f;        // units per pixel per second of frame time
    static constexpr float EYE_CLEARANCE = 1.0f;     // radius kept free of level shapes around the eye
    static constexpr int ZOOM_BUTTON = 2;            // GLUT's right button
    static constexpr float STICK_TURN_RATE = 90.0f;  // degrees per second at a controller stick's full travel

    // Distance, pitch and yaw (0, 0, 0) until reset(); user mode.
    Camera() = default;

    // Distance 250, pitch 25, yaw 0.
    void reset();
    // Loads the view onto the current (modelview) matrix: the same matrix as viewMatrix().
    void apply() const;
    Matrix4 viewMatrix() const;
    // The eye in world coordinates.
    Vector3 eyePosition() const;
    // One frame of motion: the automatic orbit, or the mouse and a controller's
    // right stick with the collision test.
    void update(float dt);

    int mode = MODE_USER;
    float distance = 0.0f;     // eye to origin, world units
    float pitch = 0.0f;        // degrees above the horizontal plane
    float yaw = 0.0f;          // degrees about the vertical axis
    bool skipNextMouse = true;  // the first delta is the cursor's jump to the window centre
    float speed = 25.0f;       // automatic orbit: degrees (and units) per second

private:
    void orbit(float dt);
    void followMouse(float dt);
    // True when the eye may not go from `from` to `to`: the level is too near the
    // new eye, or lies on the straight way there.
    static bool blocked(const Vector3& from, const Vector3& to);
};
