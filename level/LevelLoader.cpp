#include "level/LevelLoader.h"

#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/MeshObject.h"
#include "render/RenderManager.h"
#include "render/SceneNode.h"
#include "render/SphereObject.h"

#include <cassert>

namespace {

// The factories' two flags; level objects always pass false and true. With the
// factories generating around the origin, neither changes the picture.
constexpr bool FLAG1 = false;
constexpr bool FLAG2 = true;

}  // namespace

int LevelLoader::loadLevel(const char* fileName, LoadedLevel* info)
{
    assert(info);
    nodes.clear();
    const int levelId = builder.load(fileName, *this, *info);
    nodes.clear();
    return levelId;
}

SceneNode* LevelLoader::node(int handle) const
{
    assert(handle >= 0 && handle < int(nodes.size()));
    return nodes[std::size_t(handle)];
}

int LevelLoader::nextActorId()
{
    return RenderManager::instance()->nextActorIdAndAdvance();
}

int LevelLoader::createRootNode(int levelId)
{
    auto* root = new SceneNode;
    root->actorId = levelId;
    root->name = "levelNode";
    nodes.push_back(root);
    return int(nodes.size()) - 1;
}

int LevelLoader::createGroupNode(int parent, const Vector3& position)
{
    auto* group = new SceneNode;
    group->localMatrix = Matrix4::translation(position);
    node(parent)->addChild(group);
    nodes.push_back(group);
    return int(nodes.size()) - 1;
}

bool LevelLoader::addObject(int handle, const LevelElement& element, PhysicsElement& record)
{
    RenderManager& scene = *RenderManager::instance();
    RenderObject* object = nullptr;
    if (element.type == "box") {
        object = scene.createBox(record.position, record.rotation, element.measures.x, element.measures.y,
                                 element.measures.z, element.uTex, element.vTex, element.materialId, FLAG1, FLAG2,
                                 record.movingIndex);
    } else if (element.type == "sphere") {
        object = scene.createSphere(element.radius, element.precision, record.position, record.rotation,
                                    element.materialId, FLAG1, FLAG2, record.movingIndex);
    } else if (element.type == "mesh") {
        MeshObject* mesh = scene.createMesh(element.meshFileName.c_str(), record.position, record.rotation,
                                            element.materialId, FLAG1, FLAG2, record.movingIndex);
        record.mesh = mesh;
        object = mesh;
    }
    if (!object)
        return false;
    object->fadeable = element.ballTest;
    node(handle)->addObject(object);
    return true;
}

void LevelLoader::loadSkyBox(const std::string (&textures)[6])
{
    static_assert(RenderManager::SKYBOX_FACES == 6, "the level file names six sky box images");
    RenderManager::instance()->loadSkyBox(textures);
}

void LevelLoader::addRootNode(int root)
{
    RenderManager::instance()->addNode(node(root));
}

void LevelLoader::createPhysics(int levelId, const std::list<PhysicsElement*>& elements)
{
    GamePhysic::instance()->CreateKinematicLevel(levelId, elements);
}
