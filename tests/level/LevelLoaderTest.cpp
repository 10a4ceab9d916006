#include "level/LevelLoader.h"

#include "GlTestContext.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "render/MeshObject.h"
#include "render/RenderManager.h"
#include "render/RenderObject.h"
#include "render/SceneNode.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
const std::string COURSE = std::string(PITCHROLL_SOURCE_DIR) + "/tests/data/levels/course.xml";

// Objects of a subtree, in walk order.
void collect(const SceneNode& node, std::vector<const RenderObject*>& objects)
{
    for (const auto& entry : node.objects)
        objects.push_back(entry.second);
    for (const SceneNode* child : node.children)
        collect(*child, objects);
}

// The game's start-up as far as levels need it, once per process. The game data
// (materials, textures, meshes, sky boxes) is read from the working folder when it
// holds the game's files, else from the source tree.
class LevelLoaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        GlTestContext::ensure(WIDTH, HEIGHT);
        if (!fs::exists("data/util/materials.xml"))
            fs::current_path(PITCHROLL_SOURCE_DIR);
        MaterialManager::instance()->loadMaterials("data/util/materials.xml");
        ShaderManager::instance()->init();
        GamePhysic::instance()->Init(false);
        RenderManager::instance()->init();
    }

    void TearDown() override
    {
        RenderManager::instance()->removeNodes("levelNode");
        GamePhysic::instance()->ClearLevel();
    }

    static const SceneNode* levelNode()
    {
        const SceneNode* found = nullptr;
        for (const SceneNode* child : RenderManager::instance()->getRoot()->children) {
            if (child->name == "levelNode")
                found = child;
        }
        return found;
    }

    LoadedLevel info;
};

}  // namespace

TEST_F(LevelLoaderTest, BuildsTheCourseIntoSceneAndPhysics)
{
    const int levelId = LevelLoader::instance()->loadLevel(COURSE.c_str(), &info);
    ASSERT_GT(levelId, 0);
    EXPECT_EQ(info.actorId, levelId);
    EXPECT_EQ(info.fileName, COURSE.c_str());
    EXPECT_EQ(info.startPosition, Vector3(-40, 4, 30));
    EXPECT_EQ(info.targetPosition, Vector3(55, 9, -35));

    // One "levelNode" carrying the level's actor; its nesting is LevelBuilderTest's.
    const SceneNode* level = levelNode();
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->actorId, levelId);
    std::vector<const RenderObject*> objects;
    collect(*level, objects);
    EXPECT_EQ(objects.size(), 16u);
    int fadeable = 0;
    std::set<int> movingIndices;
    const MeshObject* rock = nullptr;
    for (const RenderObject* object : objects) {
        fadeable += object->fadeable ? 1 : 0;
        if (object->movingIndex >= 0)
            movingIndices.insert(object->movingIndex);
        if (const auto* mesh = dynamic_cast<const MeshObject*>(object))
            rock = mesh;
    }
    EXPECT_EQ(fadeable, 2) << "the two walls in front of the start";
    EXPECT_EQ(movingIndices, (std::set<int>{0, 1, 2, 3})) << "the free box as well";
    ASSERT_NE(rock, nullptr);

    // The physics holds the floor, the platform, the rock and the jointed elements.
    GamePhysic& physics = *GamePhysic::instance();
    const Vector3 down(0, -1, 0);
    EXPECT_NEAR(physics.RaycastDistance({-40, 50, 30}, down), 50.0f, 1e-3f) << "floor under the start";
    EXPECT_NEAR(physics.RaycastDistance({55, 50, -35}, down), 44.0f, 1e-3f) << "platform under the target";
    if (fs::exists("data/meshes/rock.mesh")) {
        EXPECT_GT(rock->indexCount, 0);
        EXPECT_LT(physics.RaycastDistance({-55, 50, -42}, down), 49.0f) << "the rock's triangles";
    }
    const Vector3 moving[] = {{0, 4, -5}, {0, 4, -5}, {-15, 3, 25}, {-35, 3, -45}}; // hub, arm, slider, free box
    for (int i = 0; i < 4; ++i) {
        const Matrix4 pose = physics.GetMovingElementPose(i);
        EXPECT_NEAR((Vector3(pose[12], pose[13], pose[14]) - moving[i]).length(), 0.0f, 1e-3f) << i;
    }
}
