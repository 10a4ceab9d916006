#include "level/LevelLoader.h"

#include "GlTestContext.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "render/RenderManager.h"
#include "render/SceneNode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

// The level's contents are LevelBuilderTest's; how they show and move, test_level.py's.
TEST(LevelLoader, BuildsTheCourseIntoSceneAndPhysics)
{
    // The game's start-up as far as levels need it; the game data is read from the
    // working folder when it holds the game's files, else from the source tree.
    GlTestContext::ensure();
    if (!fs::exists("data/util/materials.xml"))
        fs::current_path(PITCHROLL_SOURCE_DIR);
    MaterialManager::instance()->loadMaterials("data/util/materials.xml");
    ShaderManager::instance()->init();
    GamePhysic::instance()->Init(false);
    RenderManager::instance()->init();

    const std::string course = std::string(PITCHROLL_SOURCE_DIR) + "/tests/data/levels/course.xml";
    LoadedLevel info;
    const int levelId = LevelLoader::instance()->loadLevel(course.c_str(), &info);
    ASSERT_GT(levelId, 0);
    EXPECT_EQ(info.startPosition, Vector3(-40, 4, 30));
    const SceneNode* level = nullptr;
    for (const SceneNode* child : RenderManager::instance()->getRoot()->children)
        level = child->name == "levelNode" ? child : level;
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->actorId, levelId);

    // The physics holds the level's boxes and the rock mesh's triangles.
    GamePhysic& physics = *GamePhysic::instance();
    EXPECT_NEAR(physics.RaycastDistance({-40, 50, 30}, {0, -1, 0}), 50.0f, 1e-3f) << "floor under the start";
    if (fs::exists("data/meshes/rock.mesh")) {
        EXPECT_LT(physics.RaycastDistance({-55, 50, -42}, {0, -1, 0}), 49.0f) << "the rock's triangles";
    }
}
