#include "render/Ball.h"

#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "render/MatrixScope.h"
#include "render/RenderManager.h"
#include "render/SphereObject.h"

#include <GL/glew.h>

Ball::~Ball()
{
    destroy();
}

void Ball::create(const Vector3& position, float radius)
{
    destroy();
    RenderManager::instance()->createBallBody(objectId, actorId, radius, position);
    object = new SphereObject();
    object->init(objectId, radius, PRECISION, position, MATERIAL, false, false, -1);
    object->fadeable = false;
    created = true;
}

void Ball::update(float dt)
{
    if (created)
        object->update(dt, GamePhysic::instance()->GetActorPose(actorId), true);
}

void Ball::render(bool useDisplayLists)
{
    if (!created || !visible)
        return;
    MaterialManager::instance()->applyMaterial(object->materialId);
    ShaderManager::instance()->setPass(object->effectPass());
    draw(useDisplayLists);
}

void Ball::renderDepth(bool useDisplayLists)
{
    if (created && visible)
        draw(useDisplayLists);
}

void Ball::draw(bool useDisplayLists)
{
    const MatrixScope scope;
    glMultMatrixf(GamePhysic::instance()->GetActorPose(actorId).data());
    object->render(RenderManager::instance()->getRenderMethod(), useDisplayLists, false);
}

void Ball::destroy()
{
    if (!created)
        return;
    GamePhysic::instance()->ReleaseActor(actorId);
    object->releaseBuffers();
    delete object;
    object = nullptr;
    created = false;
}

Vector3 Ball::position() const
{
    const Matrix4 pose = GamePhysic::instance()->GetActorPose(actorId);
    return {pose[12], pose[13], pose[14]};
}

float Ball::heightAboveGround() const
{
    return GamePhysic::instance()->RaycastDistance(position(), Vector3(0.0f, -1.0f, 0.0f));
}
