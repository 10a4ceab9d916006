#include "render/RenderManager.h"

#include "RenderTestSupport.h"
#include "effects/ShaderManager.h"
#include "level/TextureManager.h"
#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/SceneNode.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace rendertest;

namespace {

// A 2 x 2 uncompressed 24-bit Targa image, its pixels given bottom row first as BGR.
void writeTarga(const std::string& fileName, const std::vector<unsigned char>& bgr)
{
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    std::ofstream file(fileName, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i)
        file.write(reinterpret_cast<const char*>(bgr.data() + (bgr.size() == 3 ? 0 : 3 * i)), 3);
}

class RenderManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = startScenePass();
        manager = RenderManager::instance();
        manager->init();
        applyCamera({0, 0, 20}, {0, 0, 0});
    }

    void TearDown() override
    {
        manager->setNoAlphaBlending(false);
        manager->setDepthPass(false);
        ShaderManager::instance()->resetPass();
        glDisable(GL_BLEND);
    }

    // A node named name under the root, holding the given objects.
    SceneNode* addNode(const std::string& name, const std::vector<RenderObject*>& objects)
    {
        auto* node = new SceneNode();
        node->name = name;
        for (RenderObject* object : objects)
            node->addObject(object);
        manager->addNode(node);
        return node;
    }

    ProbeBox* probe(int id, int material) { return new ProbeBox(log, id, material); }

    Materials materials;
    RenderManager* manager = nullptr;
    std::vector<DrawRecord> log;
};

}  // namespace

TEST_F(RenderManagerTest, FactoriesPlaceByRotationThenPositionAndTheBallBodyTruncatesItsRadius)
{
    const Vector3 position{1, 2, 3};
    Owned<BoxObject> box(manager->createBox(position, {0.1f, 0.2f, 0.3f}, 2, 3, 4, {1, 0, 0}, {}, materials.red,
                                            false, true, -1));
    EXPECT_TRUE(box->localMatrix == Matrix4::rotationXYZ(0.1f, 0.2f, 0.3f) * Matrix4::translation(position));
    EXPECT_NEAR(box->boundingSphere.center.length(), 0.0f, 1e-5f) << "built around the origin";

    int objectId = -1, actorId = -1;
    manager->createBallBody(objectId, actorId, 3.7f, {0, 50, 0});
    GamePhysic* physics = GamePhysic::instance();
    EXPECT_TRUE(physics->IsDynamicShapeInSphere({0, 52.9f, 0}, 0.05f));
    EXPECT_FALSE(physics->IsDynamicShapeInSphere({0, 53.5f, 0}, 0.05f));
    physics->ReleaseActor(actorId);
}

TEST_F(RenderManagerTest, BlendedPassDrawsFarthestFirstTwiceWithReversedWindingFirst)
{
    Owned<ProbeBox> near(probe(0, materials.red)), far(probe(1, materials.blue)), middle(probe(2, materials.bumpy));
    near->alpha = 0.3f;
    far->alpha = 0.5f;
    middle->alpha = 0.7f;
    manager->addTransparent(near.get(), 5.0f);
    manager->addTransparent(far.get(), 20.0f);
    manager->addTransparent(middle.get(), 10.0f);
    glDisable(GL_BLEND);
    manager->renderTransparent(false);

    // Each with its material and its own alpha, then again without a material change.
    const struct {
        int id;
        float kdRed, alpha;
        const char* pass;
    } expected[] = {{1, 0.92f, 0.5f, "shadowMapping"}, {2, 0.93f, 0.7f, "parallaxShadowMapping"},
                    {0, 0.91f, 0.3f, "shadowMapping"}};
    ASSERT_EQ(log.size(), 6u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log[i].id, expected[i / 2].id);
        EXPECT_TRUE(log[i].storedWorld);
        EXPECT_EQ(log[i].frontFace, i % 2 == 0 ? GL_CW : GL_CCW);
        EXPECT_EQ(log[i].program, passProgram(expected[i / 2].pass));
        EXPECT_FLOAT_EQ(log[i].kd[0], i % 2 == 0 ? expected[i / 2].kdRed : KD_SENTINEL[0]);
        if (i % 2 == 0) {
            EXPECT_FLOAT_EQ(log[i].kd[3], expected[i / 2].alpha);
        }
    }
    EXPECT_EQ(manager->transparentCount(), 0u);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW);
}

TEST_F(RenderManagerTest, FadedObjectIsQueuedOnceOrDrawnOpaqueWithoutBlending)
{
    ProbeBox* occluder = probe(0, materials.red);
    addNode("levelNode", {occluder});
    lookAtBall({0, 0, 20}, {0, 0, -10});
    manager->setNoAlphaBlending(true);
    EXPECT_TRUE(FrameData::shared().noAlphaBlending);
    manager->update(0.1f);
    EXPECT_EQ(occluder->alpha, 1.0f) << "nothing fades";
    occluder->alpha = 0.25f;
    manager->update(0.1f);
    EXPECT_EQ(manager->transparentCount(), 0u);
    manager->render(false);
    ASSERT_EQ(log.size(), 1u) << "drawn opaque";

    manager->setNoAlphaBlending(false);
    log.clear();
    manager->update(0.1f);
    manager->update(0.1f);  // no blended pass in between
    EXPECT_EQ(manager->transparentCount(), 1u);
    manager->render(false);
    EXPECT_TRUE(log.empty()) << "left to the blended pass";
    manager->renderTransparent(false);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(RenderManagerTest, RemoveNodesDeletesOnlyTheNamedSubtrees)
{
    const int buffers = countBuffers();
    SceneNode* level = addNode("levelNode", {probe(0, materials.red)});
    auto* group = new SceneNode();
    group->addObject(probe(1, materials.red));
    level->addChild(group);
    addNode("other", {probe(2, materials.blue)});
    addNode("levelNode", {probe(3, materials.blue)});
    const int perObject = (countBuffers() - buffers) / 4;
    ASSERT_GT(perObject, 0);
    EXPECT_EQ(countBuffers(), buffers + 4 * perObject);

    // The level's occluders are queued when their nodes go.
    lookAtBall({0, 0, 20}, {0, 0, -10});
    manager->update(0.1f);
    ASSERT_GT(manager->transparentCount(), 0u);
    manager->removeNodes("levelNode");
    EXPECT_EQ(countBuffers(), buffers + perObject);
    ASSERT_EQ(manager->getRoot()->children.size(), 1u);
    EXPECT_EQ(manager->getRoot()->children.front()->name, "other");

    // Nothing of the removed level is drawn any more, by either pass.
    manager->renderTransparent(false);
    manager->setNoAlphaBlending(true);
    manager->render(false);
    for (const DrawRecord& record : log)
        EXPECT_EQ(record.id, 2);
}

TEST_F(RenderManagerTest, SkyBoxShowsTheFaceTheCameraTurnsTo)
{
    const char* files[RenderManager::SKYBOX_FACES] = {"left.tga",   "right.tga", "top.tga",
                                                      "bottom.tga", "front.tga", "back.tga"};
    const unsigned char colours[RenderManager::SKYBOX_FACES][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                                   {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    std::string names[RenderManager::SKYBOX_FACES];
    for (int i = 0; i < RenderManager::SKYBOX_FACES; ++i) {
        writeTarga(files[i], {colours[i][2], colours[i][1], colours[i][0]});
        names[i] = files[i];
    }
    manager->loadSkyBox(names);
    applyCamera({0, 0, 0}, {0, 0, -1});
    const struct {
        float pitch, yaw;
        int face;
    } views[] = {{0, 0, 5}, {0, 90, 1}, {0, 180, 4}, {0, 270, 0}, {90, 0, 3}, {-90, 0, 2}};
    for (const auto& view : views) {
        SCOPED_TRACE(std::to_string(view.pitch) + " " + std::to_string(view.yaw));
        clear();
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        manager->renderSkyBox(view.pitch, view.yaw);
        const Image image = capture();
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(pixel(image, WIDTH / 2, HEIGHT / 2)[c], colours[view.face][c], 12) << c;
        EXPECT_EQ(coveredPixels(image), WIDTH * HEIGHT) << "the sky box fills the view";
    }

    // The back face's s runs from +x to -x: a texture black in its first column and
    // red in its second is red to the left of the view's centre.
    writeTarga("columns.tga", {0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255});
    TextureManager* textures = TextureManager::instance();
    const GLuint oldBack = textures->loadTexture(names[5].c_str(), false, true, true);
    const GLuint left = textures->loadTexture(names[0].c_str(), false, true, true);
    names[5] = "columns.tga";
    manager->loadSkyBox(names);
    // The face no longer used is deleted; the faces kept stay loaded.
    EXPECT_FALSE(glIsTexture(oldBack));
    EXPECT_TRUE(glIsTexture(left));
    clear();
    glEnable(GL_TEXTURE_2D);
    manager->renderSkyBox(0, 0);
    const Image columns = capture();
    EXPECT_GT(pixel(columns, WIDTH / 4, HEIGHT / 2)[0], pixel(columns, 3 * WIDTH / 4, HEIGHT / 2)[0] + 40);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}
