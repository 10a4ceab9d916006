#include "game/LevelInfo.h"

#include "game/InputManager.h"
#include "math/MathConstants.h"
#include "physics/GamePhysic.h"
#include "render/Camera.h"

#include <algorithm>
#include <cmath>

void LevelInfo::updateTilt(float, const Camera& camera)
{
    InputManager* input = InputManager::instance();
    const PadState& pad = input->padState();
    const bool stick = pad.leftX != 0.0f || pad.leftY != 0.0f;
    if (input->isKeyDown(' ') || stick || stickTilting) {
        MouseDelta delta;
        if (stick || stickTilting) {
            wantedX = pad.leftY * MAX_TILT;
            wantedZ = pad.leftX * MAX_TILT;
            stickTilting = stick;
        } else {
            input->getMouseDelta(delta);
        }

        if (lastYaw == camera.yaw || stick) {
            wantedX += TILT_PER_PIXEL * static_cast<float>(delta.y);
            wantedZ += TILT_PER_PIXEL * static_cast<float>(delta.x);
        } else {
            const float a = (lastYaw - camera.yaw) * DEGREES_TO_RADIANS;
            const auto turn = [a](float& x, float& z) {
                const float oldX = x, oldZ = z;
                x = std::sin(a) * oldZ + std::cos(a) * oldX;
                z = std::cos(a) * oldZ - std::sin(a) * oldX;
            };
            turn(wantedX, wantedZ);
            turn(tiltX, tiltZ);
        }
        lastYaw = camera.yaw;
        wantedX = std::clamp(wantedX, -MAX_TILT, MAX_TILT);
        wantedZ = std::clamp(wantedZ, -MAX_TILT, MAX_TILT);
    } else if (tiltX == wantedX && tiltZ == wantedZ) {
        return;
    }
    tiltX += std::clamp(wantedX - tiltX, -MAX_TILT_STEP, MAX_TILT_STEP);
    tiltZ += std::clamp(wantedZ - tiltZ, -MAX_TILT_STEP, MAX_TILT_STEP);

    GamePhysic* physics = GamePhysic::instance();
    physics->MoveLevelPosition(Vector3(0.0f, 0.0f, 0.0f));
    physics->MoveLevelOrientation(tiltMatrix(camera));
}

void LevelInfo::resetTilt()
{
    lastYaw = tiltX = tiltZ = wantedX = wantedZ = 0.0f;
    GamePhysic::instance()->MoveLevelOrientation(Matrix4());
}

Matrix4 LevelInfo::tiltMatrix(const Camera& camera) const
{
    const float yaw = camera.yaw * DEGREES_TO_RADIANS;
    return Matrix4::rotationY(yaw) * Matrix4::rotationX(-tiltX * DEGREES_TO_RADIANS) *
           Matrix4::rotationZ(tiltZ * DEGREES_TO_RADIANS) * Matrix4::rotationY(-yaw);
}

float LevelInfo::heightInLevel(const Vector3& ballPosition) const
{
    const Matrix4 toLevel = Matrix4::inverseAffine(GamePhysic::instance()->GetActorPose(actorId));
    return Matrix4::transformPoint(toLevel, ballPosition).y;
}

bool LevelInfo::isTargetReached(const Vector3& ballPosition) const
{
    const Vector3 target =
        Matrix4::transformPoint(GamePhysic::instance()->GetActorPose(actorId), targetPosition);
    return (target - ballPosition).length() < TARGET_RADIUS;
}
