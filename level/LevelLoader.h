#pragma once

#include "app/Singleton.h"
#include "level/LevelBuilder.h"
#include "level/LevelWorld.h"
#include "level/LoadedLevel.h"

#include <vector>

class SceneNode;

// Loads level files into the game: render objects through RenderManager under a
// scene node named "levelNode", the sky box, and the level's bodies and joints
// through GamePhysic. Keeps no reference to what it built; removing a level is
// the caller's task (RenderManager::removeNodes("levelNode"), GamePhysic::ClearLevel).
class LevelLoader : public Singleton<LevelLoader>, private LevelWorld {
    friend class Singleton<LevelLoader>;

public:
    // Builds fileName and fills info (the game's level record derives from
    // LoadedLevel). Returns the level's actor id, or 0 when the file cannot be
    // opened: nothing is built and info is left alone then. Needs RenderManager
    // and GamePhysic initialised and a current GL context.
    int loadLevel(const char* fileName, LoadedLevel* info);

private:
    LevelLoader() = default;

    SceneNode* node(int handle) const;

    int nextActorId() override;
    int createRootNode(int levelId) override;
    int createGroupNode(int parent, const Vector3& position) override;
    bool addObject(int node, const LevelElement& element, PhysicsElement& record) override;
    void loadSkyBox(const std::string (&textures)[6]) override;
    void addRootNode(int root) override;
    void createPhysics(int levelId, const std::list<PhysicsElement*>& elements) override;

    LevelBuilder builder;         // keeps the sky box, start and target between loads
    std::vector<SceneNode*> nodes;  // this build's nodes by handle; the scene owns them
};
