#include "render/RenderManager.h"

#include "app/Report.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "level/TextureManager.h"
#include "math/Matrix4.h"
#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/MatrixScope.h"
#include "render/MeshObject.h"
#include "render/SceneNode.h"
#include "render/SkyBoxCorners.h"
#include "render/SphereObject.h"

#include <GL/glew.h>

#include <algorithm>
#include <cassert>
#include <malloc.h>
#include <set>

namespace {

constexpr int DEPTH_PASS_MATERIAL = 1;  // applied once for the whole shadow depth pass

// The sky box cube's half-size around the eye, which lies between the near (1)
// and far (1000) planes of the scene projection.
constexpr float SKYBOX_HALF_SIZE = 3.0f;
static_assert(RenderManager::SKYBOX_FACES == SKYBOX_FACE_COUNT, "one texture per sky box face");

// Every object of node's subtree.
void collectObjects(const SceneNode* node, std::set<const RenderObject*>& found)
{
    for (const auto& entry : node->objects)
        found.insert(entry.second);
    for (const SceneNode* child : node->children)
        collectObjects(child, found);
}

}  // namespace

RenderManager::~RenderManager()
{
    delete root;
}

void RenderManager::init()
{
    delete root;
    root = new SceneNode();
    registry.clear();
    transparent.clear();
    nextActorId = 1;
    nextObjectId = 0;
    renderMethod = RENDERMETHOD_VERTEXBUFFER;
}

void RenderManager::place(RenderObject* object, const Vector3& position, const Vector3& rotation, int movingIndex)
{
    const Matrix4 turn = Matrix4::rotationXYZ(rotation.x, rotation.y, rotation.z);
    object->localMatrix = movingIndex >= 0 ? turn : turn * Matrix4::translation(position);
    registry[object->id] = object;
    ++nextObjectId;
}

BoxObject* RenderManager::createBox(const Vector3& position, const Vector3& rotation, const float& width,
                                    const float& height, const float& depth, const Vector3& uTex, const Vector3& vTex,
                                    const int& materialId, const bool& flag1, const bool& flag2,
                                    const int& movingIndex)
{
    auto* box = new BoxObject();
    box->init(nextObjectId, Vector3(), width, height, depth, uTex, vTex, materialId, flag1, flag2, movingIndex);
    place(box, position, rotation, movingIndex);
    return box;
}

SphereObject* RenderManager::createSphere(const float& radius, const int& precision, const Vector3& position,
                                          const Vector3& rotation, const int& materialId, const bool& flag1,
                                          const bool& flag2, const int& movingIndex)
{
    auto* sphere = new SphereObject();
    sphere->init(nextObjectId, radius, precision, Vector3(), materialId, flag1, flag2, movingIndex);
    place(sphere, position, rotation, movingIndex);
    return sphere;
}

MeshObject* RenderManager::createMesh(const char* fileName, const Vector3& position, const Vector3& rotation,
                                      const int& materialId, const bool& flag1, const bool& flag2,
                                      const int& movingIndex)
{
    auto* mesh = new MeshObject();
    mesh->init(nextObjectId, fileName, materialId, flag1, flag2, movingIndex);
    place(mesh, position, rotation, movingIndex);
    return mesh;
}

void RenderManager::createBallBody(int& objectId, int& actorId, const float& radius, const Vector3& position)
{
    GamePhysic::instance()->CreateSphere(nextActorId, position, static_cast<int>(radius));
    objectId = nextObjectId++;
    actorId = nextActorId++;
}

int RenderManager::nextActorIdAndAdvance()
{
    return nextActorId++;
}

void RenderManager::addNode(SceneNode* node)
{
    assert(root && "RenderManager::init must run first");
    root->addChild(node);
}

void RenderManager::removeNodes(const std::string& name)
{
    if (!root)
        return;
    for (auto it = root->children.begin(); it != root->children.end();) {
        SceneNode* node = *it;
        if (node->name != name) {
            ++it;
            continue;
        }
        // Nothing may point at the deleted objects afterwards.
        std::set<const RenderObject*> removed;
        collectObjects(node, removed);
        for (auto entry = registry.begin(); entry != registry.end();)
            entry = removed.count(entry->second) ? registry.erase(entry) : std::next(entry);
        transparent.remove_if([&removed](const auto& queued) { return removed.count(queued.second) > 0; });
        delete node;
        it = root->children.erase(it);
    }
}

void RenderManager::update(float dt)
{
    // The queue belongs to one frame: an update without a blended pass in between
    // must not queue the same objects twice.
    transparent.clear();
    if (root)
        root->update(dt, Matrix4(), noAlphaBlending);
}

void RenderManager::render(bool useDisplayLists)
{
    if (!root)
        return;
    if (depthPass)
        MaterialManager::instance()->applyMaterial(DEPTH_PASS_MATERIAL);
    root->render(renderMethod, useDisplayLists, noAlphaBlending, depthPass);
}

void RenderManager::useSceneMaterials(int alsoUsed) const
{
    std::set<int> used{DEPTH_PASS_MATERIAL, alsoUsed};
    for (const auto& entry : registry)
        used.insert(entry.second->materialId);
    MaterialManager::instance()->useMaterials(used);
    // By now the last world's textures, sky and geometry are freed; the heap
    // would keep their pages between the new world's blocks.
    malloc_trim(0);
}

void RenderManager::renderTransparent(bool useDisplayLists)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    transparent.sort([](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [distance, object] : transparent) {
        MaterialManager::instance()->applyMaterial(object->materialId, object->alpha);
        ShaderManager::instance()->setPass(object->effectPass());
        // The far side first (reversed winding with back faces culled), then the near side.
        glFrontFace(GL_CW);
        object->render(renderMethod, useDisplayLists, true);
        glFrontFace(GL_CCW);
        object->render(renderMethod, useDisplayLists, true);
    }
    transparent.clear();
}

void RenderManager::addTransparent(RenderObject* object, float distance)
{
    transparent.emplace_back(distance, object);
}

void RenderManager::switchRenderMethod()
{
    renderMethod = renderMethod >= RENDERMETHOD_VERTEXBUFFER ? RENDERMETHOD_IMMEDIATE : renderMethod + 1;
    switch (renderMethod) {
    case RENDERMETHOD_IMMEDIATE:
        report("RENDERMETHOD_IMMEDIATE set\n");
        break;
    case RENDERMETHOD_VERTEXARRAY:
        report("RENDERMETHOD_VERTEXARRAY set\n");
        break;
    default:
        report("RENDERMETHOD_VERTEXBUFFER set\n");
        break;
    }
}

void RenderManager::setNoAlphaBlending(bool value)
{
    noAlphaBlending = value;
    FrameData::shared().noAlphaBlending = value;
}

void RenderManager::setDepthPass(bool value)
{
    depthPass = value;
    FrameData::shared().depthPass = value;
}

void RenderManager::loadSkyBox(const std::string names[SKYBOX_FACES])
{
    // The last level's faces go: at 4 MB each uncompressed, every world's sky kept
    // would make the game grow by 24 MB per world visited.
    TextureManager* textures = TextureManager::instance();
    for (int i = 0; i < SKYBOX_FACES; ++i) {
        if (!skyBoxFiles[i].empty() && std::find(names, names + SKYBOX_FACES, skyBoxFiles[i]) == names + SKYBOX_FACES)
            textures->unloadTexture(skyBoxFiles[i]);
    }
    // Without mipmaps, compressed, clamped so that the faces' edges meet without seams.
    for (int i = 0; i < SKYBOX_FACES; ++i) {
        skyBoxTextures[i] = textures->loadTexture(names[i].c_str(), false, true, true);
        skyBoxFiles[i] = names[i];
    }
}

void RenderManager::renderSkyBox(float pitch, float yaw)
{
    glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_VIEWPORT_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glDepthRange(1.0, 1.0);
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    {
        // Turned with the camera but never moved: the box stays around the eye.
        const MatrixScope scope;
        glLoadIdentity();
        glRotatef(pitch, 1.0f, 0.0f, 0.0f);
        glRotatef(yaw, 0.0f, 1.0f, 0.0f);
        for (int i = 0; i < SKYBOX_FACES; ++i) {
            glBindTexture(GL_TEXTURE_2D, skyBoxTextures[i]);
            glBegin(GL_QUADS);
            for (const SkyBoxCorner& c : SKYBOX_CORNERS[i]) {
                glTexCoord2f(c.s, c.t);
                glVertex3f(c.x * SKYBOX_HALF_SIZE, c.y * SKYBOX_HALF_SIZE, c.z * SKYBOX_HALF_SIZE);
            }
            glEnd();
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
    glEnable(GL_LIGHTING);
}
