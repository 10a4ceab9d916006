#pragma once

#include "app/Singleton.h"
#include "math/Vector3.h"
#include "render/RenderMethod.h"

#include <cstddef>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>

class BoxObject;
class MeshObject;
class RenderObject;
class SceneNode;
class SphereObject;

// Owns the scene: a tree of SceneNodes under one root, the factories of the render
// objects, the actor and object id counters shared with the physics, the render
// settings the keys switch, the sky box, and the opaque and blended scene passes.
class RenderManager : public Singleton<RenderManager> {
    friend class Singleton<RenderManager>;

public:
    static constexpr int SKYBOX_FACES = 6;  // left, right, top, bottom, front, back

    // Releases and deletes every node and object of the tree.
    ~RenderManager() override;

    // Once, at game start with a GL context: counters (actors from 1, objects from
    // 0), the buffer-object render method and an empty root. Running it again
    // starts over with an empty scene.
    void init();

    // Factories: a new object with the next object id, generated around the origin
    // and built, placed by its localMatrix (rotation, then translation to position;
    // rotation only when movingIndex >= 0, whose physics body gives the position).
    // Angles in radians. The caller adds the object to a node, which owns it.
    BoxObject* createBox(const Vector3& position, const Vector3& rotation, const float& width, const float& height,
                         const float& depth, const Vector3& uTex, const Vector3& vTex, const int& materialId,
                         const bool& flag1, const bool& flag2, const int& movingIndex);
    SphereObject* createSphere(const float& radius, const int& precision, const Vector3& position,
                               const Vector3& rotation, const int& materialId, const bool& flag1, const bool& flag2,
                               const int& movingIndex);
    MeshObject* createMesh(const char* fileName, const Vector3& position, const Vector3& rotation,
                           const int& materialId, const bool& flag1, const bool& flag2, const int& movingIndex);

    // Creates the ball's physics sphere (radius truncated to whole units) with the
    // next actor id at position and hands out that actor id and the next object id.
    void createBallBody(int& objectId, int& actorId, const float& radius, const Vector3& position);
    // The next actor id; the level builder takes the level's id this way.
    int nextActorIdAndAdvance();

    // Attaches node (owned from here on) under the root.
    void addNode(SceneNode* node);
    // Deletes every child of the root named name with its subtree and objects.
    void removeNodes(const std::string& name);

    // Places, culls and fades every object of the tree; refills the blended queue.
    void update(float dt);
    // Opaque pass over the tree; in the depth pass only material 1 is applied, once.
    void render(bool useDisplayLists);
    // Blended pass over the queued faded objects, farthest first, each drawn with
    // reversed and then normal winding; empties the queue and leaves GL_BLEND on.
    void renderTransparent(bool useDisplayLists);
    // Queues object for this frame's blended pass (called by its update).
    void addTransparent(RenderObject* object, float distance);

    // Immediate -> vertex array -> vertex buffer -> immediate, with a line naming it.
    void switchRenderMethod();
    int getRenderMethod() const { return renderMethod; }

    // Set the flags together with their FrameData mirrors.
    void setNoAlphaBlending(bool value);
    void setDepthPass(bool value);

    // The six sky box textures, in the order of SKYBOX_FACES.
    void loadSkyBox(const std::string names[SKYBOX_FACES]);
    // Draws the sky box around the eye, turned by the camera's pitch and yaw
    // (degrees), behind whatever was drawn before: at the far end of the depth
    // range, only where the depth buffer is still clear, without writing depth.
    // Drawn after the opaque objects, it fills only the pixels they left free.
    // Lighting off, then on; the modelview matrix is its own and comes back.
    void renderSkyBox(float pitch, float yaw);

    // Has the materials the scene's objects and the depth pass apply, and
    // alsoUsed, load their textures, and the other materials free theirs; then
    // hands the memory the last world freed back to the system.
    void useSceneMaterials(int alsoUsed) const;

    SceneNode* getRoot() const { return root; }
    std::size_t transparentCount() const { return transparent.size(); }

    bool noAlphaBlending = false;  // faded objects drawn opaque, nothing fades; mirrored in FrameData
    bool depthPass = false;        // the shadow depth pass is drawing; mirrored in FrameData

private:
    RenderManager() = default;
    // Gives a new object its placement, registers it and advances the object counter.
    void place(RenderObject* object, const Vector3& position, const Vector3& rotation, int movingIndex);

    std::list<std::pair<float, RenderObject*>> transparent;  // this frame's faded objects
    std::map<int, RenderObject*> registry;  // by object id; the tree owns the objects
    SceneNode* root = nullptr;
    unsigned int skyBoxTextures[SKYBOX_FACES] = {};
    std::string skyBoxFiles[SKYBOX_FACES];  // of the textures above
    int nextActorId = 1;
    int nextObjectId = 0;
    int renderMethod = RENDERMETHOD_VERTEXBUFFER;
};
