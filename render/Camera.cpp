#include "render/Camera.h"

#include "game/InputManager.h"
#include "game/MouseDelta.h"
#include "math/MathConstants.h"
#include "physics/GamePhysic.h"

#include <GL/gl.h>

#include <algorithm>

void Camera::reset()
{
    distance = RESET_DISTANCE;
    pitch = RESET_PITCH;
    yaw = 0.0f;
}

void Camera::apply() const
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
}

Matrix4 Camera::viewMatrix() const
{
    return Matrix4::rotationY(yaw * DEGREES_TO_RADIANS) * Matrix4::rotationX(pitch * DEGREES_TO_RADIANS) *
           Matrix4::translation({0.0f, 0.0f, -distance});
}

Vector3 Camera::eyePosition() const
{
    const Matrix4 eye = Matrix4::translation({0.0f, 0.0f, distance}) *
                        Matrix4::rotationX(-pitch * DEGREES_TO_RADIANS) *
                        Matrix4::rotationY(-yaw * DEGREES_TO_RADIANS);
    return {eye[12], eye[13], eye[14]};
}

void Camera::update(float dt)
{
    if (mode == MODE_AUTOMATIC)
        orbit(dt);
    else
        followMouse(dt);
}

void Camera::orbit(float dt)
{
    const float step = dt * speed;
    yaw += step;
    if (yaw < 0.0f)
        yaw = FULL_TURN;
    if (yaw > FULL_TURN)
        yaw = 0.0f;
    distance = std::min(distance + step, MAX_DISTANCE);
    // Back to the reset pitch from either side, without overshooting it.
    if (pitch < RESET_PITCH)
        pitch = std::min(pitch + step, RESET_PITCH);
    else if (pitch > RESET_PITCH)
        pitch = std::max(pitch - step, RESET_PITCH);
}

void Camera::followMouse(float dt)
{
    InputManager& input = *InputManager::instance();
    MouseDelta delta;
    input.getMouseDelta(delta);
    const float oldDistance = distance;
    const float oldPitch = pitch;
    const float oldYaw = yaw;
    const Vector3 oldEye = eyePosition();

    if (input.isMouseButtonDown(ZOOM_BUTTON)) {
        distance = std::clamp(distance + float(delta.y) * dt * ZOOM_RATE, MIN_DISTANCE, MAX_DISTANCE);
    } else {
        if (!skipNextMouse) {
            pitch += float(delta.y) * dt * TURN_RATE;
            yaw += float(delta.x) * dt * TURN_RATE;
        } else {
            skipNextMouse = false;
        }
        const PadState& pad = input.padState();
        pitch += pad.rightY * dt * STICK_TURN_RATE;
        yaw += pad.rightX * dt * STICK_TURN_RATE;
        if (pitch < MIN_PITCH)
            pitch = MIN_PITCH;
        if (pitch >= MAX_PITCH)
            pitch = MAX_PITCH;
        // The excess over a full turn is dropped, not carried over.
        if (yaw < 0.0f)
            yaw = FULL_TURN;
        if (yaw > FULL_TURN)
            yaw = 0.0f;
    }

    if (distance == oldDistance && pitch == oldPitch && yaw == oldYaw)
        return;
    if (blocked(oldEye, eyePosition())) {
        distance = oldDistance;
        pitch = oldPitch;
        yaw = oldYaw;
    }
}

bool Camera::blocked(const Vector3& from, const Vector3& to)
{
    const GamePhysic& physics = *GamePhysic::instance();
    if (physics.IsDynamicShapeInSphere(to, EYE_CLEARANCE))
        return true;
    const Vector3 way = to - from;
    const float length = way.length();
    // A change that leaves the eye where it was (a yaw wrap) has no way to test.
    if (!(length > 0.0f))
        return false;
    return physics.RaycastDistance(from, way * (1.0f / length)) <= length;
}
