#pragma once

#include "math/Matrix4.h"

#include <list>
#include <map>
#include <string>

class RenderObject;

// A node of the scene tree: a matrix (its own, or the pose of a physics actor),
// render objects ordered by material key, and child nodes. Owns its children and
// its objects and deletes them with itself.
class SceneNode {
public:
    SceneNode() = default;
    ~SceneNode();
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    // Appends child (which this node then owns) and makes this node its parent.
    void addChild(SceneNode* child);
    // Adds object (owned from here on) under its material key; build() must have run.
    void addObject(RenderObject* object);

    // The node's matrix: the pose of actorId when it is >= 0, else localMatrix.
    Matrix4 nodeMatrix() const;

    // Updates the objects with world = their placement then accumulated, then
    // visits the children with their matrix applied before accumulated.
    void update(float dt, const Matrix4& accumulated, bool noFade);
    // Opaque drawing of this subtree under the current modelview: node matrix, then
    // the objects in key order, applying a material (and its effect pass) only when
    // it changes, then the children. Faded objects are left to the blended pass
    // unless noAlphaBlending; the depth pass applies no material at all.
    void render(int renderMethod, bool useDisplayLists, bool noAlphaBlending, bool depthPass);
    // Releases and deletes every object of this node (not of its children).
    void destroyObjects();

    SceneNode* parent = nullptr;
    std::list<SceneNode*> children;   // owned, in insertion order
    std::string name;                 // the level's node is "levelNode"
    int actorId = -1;                 // >= 0: drawn at this physics actor's pose
    Matrix4 localMatrix;
    std::multimap<int, RenderObject*> objects;  // owned, by RenderObject::sortKey()
};
