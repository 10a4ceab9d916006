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
    if (!input->isKeyDown(' ') && !stick && !stickTilting)
        return;
    MouseDelta delta;
    if (stick || stickTilting) {
        tiltX = pad.leftY * MAX_TILT;
        tiltZ = pad.leftX * MAX_TILT;
        stickTilting = stick;
    } else {
        input->getMouseDelta(delta);
    }

    if (lastYaw == camera.yaw || stick) {
        tiltX += TILT_PER_PIXEL * static_cast<float>(delta.y);
        tiltZ += TILT_PER_PIXEL * static_cast<float>(delta.x);
    } else {
        const float a = (lastYaw - camera.yaw) * DEGREES_TO_RADIANS;
        const float oldX = tiltX, oldZ = tiltZ;
        tiltX = std::sin(a) * oldZ + std::cos(a) * oldX;
        tiltZ = std::cos(a) * oldZ - std::sin(a) * oldX;
    }
    lastYaw = camera.yaw;
    tiltX = std::clamp(tiltX, -MAX_TILT, MAX_TILT);
    tiltZ = std::clamp(tiltZ, -MAX_TILT, MAX_TILT);

    GamePhysic* physics = GamePhysic::instance();
    physics->MoveLevelPosition(Vector3(0.0f, 0.0f, 0.0f));
    physics->MoveLevelOrientation(tiltMatrix(camera));
}

void LevelInfo::resetTilt()
{
    lastYaw = tiltX = tiltZ = 0.0f;
    GamePhysic::instance()->MoveLevelOrientation(Matrix4());
}

Matrix4 LevelInfo::tiltMatrix(const Camera& camera) const
{
    const float yaw = camera.yaw * DEGREES_TO_RADIANS;
    return Matrix4::rotationY(yaw) * Matrix4::rotationX(-tiltX * DEGREES_TO_RADIANS) *
           Matrix4::rotationZ(tiltZ * DEGREES_TO_RADIANS) * Matrix4::rotationY(-yaw);
}

bool LevelInfo::isTargetReached(const Vector3& ballPosition) const
{
    const Vector3 target =
        Matrix4::transformPoint(GamePhysic::instance()->GetActorPose(actorId), targetPosition);
    return (target - ballPosition).length() < TARGET_RADIUS;
}
