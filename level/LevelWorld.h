#pragma once

#include "math/Vector3.h"
#include "physics/PhysicsElement.h"

#include <list>
#include <string>

class LevelElement;

// Where LevelBuilder puts what it builds: the scene and the physics world.
// LevelLoader implements it over RenderManager and GamePhysic; tests record the
// calls. Scene nodes are named by handles that the world gives out during one
// build, so the builder needs neither GL nor the scene classes.
class LevelWorld {
public:
    virtual ~LevelWorld() = default;

    // A fresh actor id for the level body.
    virtual int nextActorId() = 0;
    // The level's root node, named "levelNode", carrying the level's actor id and
    // not yet part of the scene.
    virtual int createRootNode(int levelId) = 0;
    // A node under parent, translated by position, that holds an element's children.
    virtual int createGroupNode(int parent, const Vector3& position) = 0;
    // Creates the render object of a box, sphere or mesh element at record's moving
    // index, sets its ball test from the element and adds it to node; for a mesh it
    // also stores the object's geometry (or null) in record.mesh. False when the
    // object cannot be made: nothing is added then.
    virtual bool addObject(int node, const LevelElement& element, PhysicsElement& record) = 0;
    // Sky box images in the order left, right, top, bottom, front, back.
    virtual void loadSkyBox(const std::string (&textures)[6]) = 0;
    // Puts the finished root node into the scene.
    virtual void addRootNode(int root) = 0;
    // Builds the level's bodies and joints; must copy what it keeps, as the
    // records are deleted when it returns.
    virtual void createPhysics(int levelId, const std::list<PhysicsElement*>& elements) = 0;
};
