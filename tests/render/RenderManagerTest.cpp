#include "render/RenderManager.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "math/Ray.h"
#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/MeshObject.h"
#include "render/SceneNode.h"
#include "render/SphereObject.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace rendertest;

namespace {

void lookAtBall(const Vector3& eye, const Vector3& ball)
{
    FrameData& frame = FrameData::shared();
    frame.eyeToBall = Ray(eye, ball - eye);
    frame.eyeToBallDistance = (ball - eye).length();
}

int countLists()
{
    int count = 0;
    for (GLuint name = 1; name <= 4000; ++name)
        count += glIsList(name) == GL_TRUE;
    return count;
}

// A 2 x 2 uncompressed 24-bit Targa image of one colour.
void writeTarga(const std::string& fileName, unsigned char r, unsigned char g, unsigned char b)
{
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    std::ofstream file(fileName, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i) {
        const unsigned char bgr[3] = {b, g, r};
        file.write(reinterpret_cast<const char*>(bgr), 3);
    }
}

class RenderManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = setUp();
        manager = RenderManager::instance();
        manager->init();
        resetFrame();
        shadowProgram = passProgram("shadowMapping");
        parallaxProgram = passProgram("parallaxShadowMapping");
        applyCamera({0, 0, 20}, {0, 0, 0});
    }

    void TearDown() override
    {
        manager->setNoAlphaBlending(false);
        manager->setDepthPass(false);
        ShaderManager::instance()->resetPass();
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
    int shadowProgram = 0;
    int parallaxProgram = 0;
};

}  // namespace

TEST_F(RenderManagerTest, SwitchRenderMethodCyclesWithALineEach)
{
    EXPECT_EQ(manager->getRenderMethod(), RENDERMETHOD_VERTEXBUFFER);
    testing::internal::CaptureStdout();
    manager->switchRenderMethod();
    EXPECT_EQ(manager->getRenderMethod(), RENDERMETHOD_IMMEDIATE);
    manager->switchRenderMethod();
    EXPECT_EQ(manager->getRenderMethod(), RENDERMETHOD_VERTEXARRAY);
    manager->switchRenderMethod();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RENDERMETHOD_IMMEDIATE set\nRENDERMETHOD_VERTEXARRAY set\nRENDERMETHOD_VERTEXBUFFER set\n");
    EXPECT_EQ(manager->getRenderMethod(), RENDERMETHOD_VERTEXBUFFER);
}

TEST_F(RenderManagerTest, FactoriesHandOutIdsAndPlaceByRotationThenPosition)
{
    EXPECT_EQ(manager->nextActorIdAndAdvance(), 1);
    EXPECT_EQ(manager->nextActorIdAndAdvance(), 2);

    const Vector3 position{1, 2, 3}, rotation{0.1f, 0.2f, 0.3f};
    BoxObject* box = manager->createBox(position, rotation, 2, 3, 4, {1, 0, 0}, {}, materials.red, false, true, -1);
    SphereObject* sphere = manager->createSphere(2, 16, position, rotation, materials.blue, false, true, 3);
    testing::internal::CaptureStdout();
    MeshObject* mesh = manager->createMesh("missing.mesh", position, rotation, materials.red, false, false, -1);
    std::fflush(stdout);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("missing.mesh"), std::string::npos);
    addNode("levelNode", {box, sphere, mesh});

    EXPECT_EQ(box->id, 0);
    EXPECT_EQ(box->type, RenderObject::TYPE_BOX);
    EXPECT_EQ(box->width, 2.0f);
    EXPECT_EQ(box->depth, 4.0f);
    EXPECT_EQ(box->vertexCount, 24);
    EXPECT_TRUE(box->elementFlag);
    EXPECT_EQ(box->movingIndex, -1);
    EXPECT_TRUE(box->localMatrix == Matrix4::rotationXYZ(0.1f, 0.2f, 0.3f) * Matrix4::translation(position));
    // Built around the origin: only the local matrix places it.
    EXPECT_NEAR(box->boundingSphere.center.length(), 0.0f, 1e-5f);

    EXPECT_EQ(sphere->id, 1);
    EXPECT_EQ(sphere->type, RenderObject::TYPE_SPHERE);
    EXPECT_EQ(sphere->movingIndex, 3);
    EXPECT_TRUE(sphere->localMatrix == Matrix4::rotationXYZ(0.1f, 0.2f, 0.3f)) << "the body gives the position";

    EXPECT_EQ(mesh->id, 2);
    EXPECT_EQ(mesh->type, RenderObject::TYPE_MESH);
    EXPECT_FALSE(mesh->elementFlag);

    // The ball's body takes the next ids of both counters; its radius is truncated.
    int objectId = -1, actorId = -1;
    manager->createBallBody(objectId, actorId, 3.7f, {0, 50, 0});
    EXPECT_EQ(objectId, 3);
    EXPECT_EQ(actorId, 3);
    GamePhysic* physics = GamePhysic::instance();
    EXPECT_TRUE(physics->GetActorPose(3) == Matrix4::translation({0, 50, 0}));
    EXPECT_TRUE(physics->IsDynamicShapeInSphere({0, 52.9f, 0}, 0.05f));
    EXPECT_FALSE(physics->IsDynamicShapeInSphere({0, 53.5f, 0}, 0.05f));
    physics->ReleaseActor(3);
    EXPECT_EQ(manager->nextActorIdAndAdvance(), 4);
    BoxObject* next = manager->createBox({}, {}, 1, 1, 1, {1, 0, 0}, {}, materials.red, false, true, -1);
    addNode("levelNode", {next});
    EXPECT_EQ(next->id, 4);
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

    ASSERT_EQ(log.size(), 6u);
    const int order[] = {1, 1, 2, 2, 0, 0};
    const float alpha[] = {0.5f, 0.5f, 0.7f, 0.7f, 0.3f, 0.3f};
    const float red[] = {0.92f, 0.92f, 0.93f, 0.93f, 0.91f, 0.91f};
    for (std::size_t i = 0; i < log.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log[i].id, order[i]);
        EXPECT_TRUE(log[i].storedWorld);
        EXPECT_EQ(log[i].frontFace, i % 2 == 0 ? GL_CW : GL_CCW);
        if (i % 2 == 0) {
            // The object's material with its own alpha.
            EXPECT_FLOAT_EQ(log[i].kd[0], red[i]);
            EXPECT_FLOAT_EQ(log[i].kd[3], alpha[i]);
        }
    }
    EXPECT_EQ(log[0].program, shadowProgram);
    EXPECT_EQ(log[2].program, parallaxProgram);
    EXPECT_EQ(manager->transparentCount(), 0u);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW);
    glDisable(GL_BLEND);
}

TEST_F(RenderManagerTest, DepthPassAppliesMaterialOneOnceAndNoPass)
{
    addNode("levelNode", {probe(0, materials.blue), probe(1, materials.bumpy), probe(2, materials.red)});
    ShaderManager::instance()->setPass("shadowMapping");
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    manager->setDepthPass(true);
    EXPECT_TRUE(FrameData::shared().depthPass);
    manager->render(false);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_FLOAT_EQ(log[0].kd[0], 0.91f) << "material 1";
    for (const DrawRecord& record : log) {
        EXPECT_EQ(record.program, shadowProgram);
        if (&record != &log[0]) {
            EXPECT_FLOAT_EQ(record.kd[0], KD_SENTINEL[0]);
        }
    }
    manager->setDepthPass(false);
    EXPECT_FALSE(FrameData::shared().depthPass);
}

TEST_F(RenderManagerTest, WithoutBlendingAFadedObjectIsDrawnOpaqueAndNeverQueued)
{
    ProbeBox* occluder = probe(0, materials.red);
    addNode("levelNode", {occluder});
    lookAtBall({0, 0, 20}, {0, 0, -10});
    manager->setNoAlphaBlending(true);
    EXPECT_TRUE(FrameData::shared().noAlphaBlending);
    manager->update(0.1f);
    EXPECT_EQ(occluder->alpha, 1.0f);
    occluder->alpha = 0.25f;
    manager->update(0.1f);
    EXPECT_EQ(manager->transparentCount(), 0u);
    EXPECT_EQ(occluder->alpha, 0.25f);
    manager->render(false);
    ASSERT_EQ(log.size(), 1u);

    // With blending the same object fades and waits for the blended pass.
    manager->setNoAlphaBlending(false);
    log.clear();
    manager->update(0.1f);
    EXPECT_EQ(manager->transparentCount(), 1u);
    manager->render(false);
    EXPECT_TRUE(log.empty());
    manager->renderTransparent(false);
    EXPECT_EQ(log.size(), 2u);
    glDisable(GL_BLEND);
}

TEST_F(RenderManagerTest, AnUpdateQueuesEachFadedObjectOnce)
{
    addNode("levelNode", {probe(0, materials.red)});
    lookAtBall({0, 0, 20}, {0, 0, -10});
    manager->update(0.1f);
    manager->update(0.1f);  // no blended pass in between
    EXPECT_EQ(manager->transparentCount(), 1u);
}

TEST_F(RenderManagerTest, RemoveNodesDeletesOnlyTheNamedSubtrees)
{
    const int lists = countLists();
    SceneNode* level = addNode("levelNode", {probe(0, materials.red)});
    auto* group = new SceneNode();
    group->addObject(probe(1, materials.red));
    level->addChild(group);
    addNode("other", {probe(2, materials.blue)});
    addNode("levelNode", {probe(3, materials.blue)});
    EXPECT_EQ(countLists(), lists + 8);

    // The level's occluder is queued when its node goes.
    lookAtBall({0, 0, 20}, {0, 0, -10});
    manager->update(0.1f);
    ASSERT_GT(manager->transparentCount(), 0u);
    manager->removeNodes("levelNode");
    EXPECT_EQ(countLists(), lists + 2);
    ASSERT_EQ(manager->getRoot()->children.size(), 1u);
    EXPECT_EQ(manager->getRoot()->children.front()->name, "other");

    // Nothing of the removed level is drawn any more, by either pass.
    manager->renderTransparent(false);
    for (const DrawRecord& record : log)
        EXPECT_EQ(record.id, 2);
    log.clear();
    manager->setNoAlphaBlending(true);
    manager->render(false);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].id, 2);
    glDisable(GL_BLEND);
}

TEST_F(RenderManagerTest, SkyBoxShowsTheFaceTheCameraTurnsTo)
{
    struct Face {
        const char* file;
        unsigned char r, g, b;
    };
    const Face faces[RenderManager::SKYBOX_FACES] = {
        {"left.tga", 255, 0, 0},   {"right.tga", 0, 255, 0},  {"top.tga", 0, 0, 255},
        {"bottom.tga", 255, 255, 0}, {"front.tga", 255, 0, 255}, {"back.tga", 0, 255, 255},
    };
    std::string names[RenderManager::SKYBOX_FACES];
    for (int i = 0; i < RenderManager::SKYBOX_FACES; ++i) {
        writeTarga(faces[i].file, faces[i].r, faces[i].g, faces[i].b);
        names[i] = faces[i].file;
    }
    manager->loadSkyBox(names);

    struct View {
        float pitch, yaw;
        int face;
    };
    const View views[] = {{0, 0, 5}, {0, 90, 1}, {0, 180, 4}, {0, 270, 0}, {90, 0, 3}, {-90, 0, 2}};
    for (const View& view : views) {
        SCOPED_TRACE(std::to_string(view.pitch) + " " + std::to_string(view.yaw));
        clear();
        applyCamera({0, 0, 0}, {0, 0, -1});
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        manager->renderSkyBox(view.pitch, view.yaw);
        const Image image = capture();
        const std::uint8_t* centre = pixel(image, WIDTH / 2, HEIGHT / 2);
        EXPECT_NEAR(centre[0], faces[view.face].r, 12);
        EXPECT_NEAR(centre[1], faces[view.face].g, 12);
        EXPECT_NEAR(centre[2], faces[view.face].b, 12);
        EXPECT_EQ(coveredPixels(image), WIDTH * HEIGHT) << "the sky box fills the view";
    }

    // Depth test and lighting come back on; no texture and the matrix stay bound.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint texture = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(texture, 0);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_TRUE(Matrix4(modelview) == Matrix4());

    // The back face's s runs from +x to -x: a texture black in its first column and
    // red in its second is red to the left of the view's centre.
    {
        const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
        const unsigned char pixels[12] = {0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255};
        std::ofstream file("columns.tga", std::ios::binary);
        file.write(reinterpret_cast<const char*>(header), sizeof header);
        file.write(reinterpret_cast<const char*>(pixels), sizeof pixels);
    }
    names[5] = "columns.tga";
    manager->loadSkyBox(names);
    clear();
    glEnable(GL_TEXTURE_2D);
    manager->renderSkyBox(0, 0);
    const Image columns = capture();
    EXPECT_GT(pixel(columns, WIDTH / 4, HEIGHT / 2)[0], pixel(columns, 3 * WIDTH / 4, HEIGHT / 2)[0] + 40);

    // A corner view, to look at: three faces meet.
    clear();
    glEnable(GL_TEXTURE_2D);
    manager->renderSkyBox(25, 45);
    save(capture(), "skybox-corner");
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}
