#include "render/SceneNode.h"

#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "render/MatrixScope.h"
#include "render/RenderObject.h"

#include <GL/glew.h>

#include <cassert>

SceneNode::~SceneNode()
{
    destroyObjects();
    for (SceneNode* child : children)
        delete child;
}

void SceneNode::addChild(SceneNode* child)
{
    assert(child && child != this);
    child->parent = this;
    children.push_back(child);
}

void SceneNode::addObject(RenderObject* object)
{
    assert(object);
    objects.emplace(object->sortKey(), object);
}

Matrix4 SceneNode::nodeMatrix() const
{
    return actorId >= 0 ? GamePhysic::instance()->GetActorPose(actorId) : localMatrix;
}

void SceneNode::update(float dt, const Matrix4& accumulated, bool noFade)
{
    for (const auto& entry : objects)
        entry.second->update(dt, accumulated, noFade);
    for (SceneNode* child : children)
        child->update(dt, child->nodeMatrix() * accumulated, noFade);
}

void SceneNode::render(int renderMethod, bool useDisplayLists, bool noAlphaBlending, bool depthPass)
{
    const MatrixScope scope;
    glMultMatrixf(nodeMatrix().data());

    int lastMaterial = 0;
    const char* lastPass = nullptr;
    for (const auto& entry : objects) {
        RenderObject* object = entry.second;
        if (object->alpha < 1.0f && !noAlphaBlending)
            continue;  // drawn by the blended pass
        if (depthPass) {
            object->render(renderMethod, useDisplayLists, false);
            continue;
        }
        if (object->materialId != lastMaterial) {
            lastMaterial = object->materialId;
            MaterialManager::instance()->applyMaterial(lastMaterial);
            lastPass = nullptr;
        }
        // Objects of one material may differ in pass by their distance from the eye.
        if (object->effectPass() != lastPass) {
            lastPass = object->effectPass();
            ShaderManager::instance()->setPass(lastPass);
        }
        object->render(renderMethod, useDisplayLists, false);
    }
    for (SceneNode* child : children)
        child->render(renderMethod, useDisplayLists, noAlphaBlending, depthPass);
}

void SceneNode::destroyObjects()
{
    for (const auto& entry : objects) {
        entry.second->releaseBuffers();
        delete entry.second;
    }
    objects.clear();
}
