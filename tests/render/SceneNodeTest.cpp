#include "render/SceneNode.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/RenderMethod.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace rendertest;

namespace {

constexpr float DEGREE = 0.017453292f;

class SceneNodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = setUp();
        resetFrame();
        shadowProgram = passProgram("shadowMapping");
        parallaxProgram = passProgram("parallaxShadowMapping");
        applyCamera({0, 2, 10}, {0, 0, 0});
    }

    ProbeBox* probe(int id, int material) { return new ProbeBox(log, id, material); }

    void expectKd(const DrawRecord& record, float red) const
    {
        EXPECT_FLOAT_EQ(record.kd[0], red) << "object " << record.id;
    }
    void expectNoMaterial(const DrawRecord& record) const
    {
        EXPECT_FLOAT_EQ(record.kd[0], KD_SENTINEL[0]) << "object " << record.id;
    }

    Materials materials;
    std::vector<DrawRecord> log;
    int shadowProgram = 0;
    int parallaxProgram = 0;
};

}  // namespace

TEST_F(SceneNodeTest, ObjectsAreDrawnByMaterialKeyWithOneChangePerKey)
{
    SceneNode node;
    node.addObject(probe(0, materials.blue));
    node.addObject(probe(1, materials.red));
    node.addObject(probe(2, materials.bumpy));
    node.addObject(probe(3, materials.red));
    auto* child = new SceneNode();
    child->addObject(probe(4, materials.red));
    node.addChild(child);
    EXPECT_EQ(child->parent, &node);

    node.render(RENDERMETHOD_VERTEXBUFFER, false, false, false);
    ShaderManager::instance()->resetPass();
    ASSERT_EQ(log.size(), 5u);
    // Key order: red (1), blue (2), bumpy (3 with the normal-map bit, 35); equal keys
    // in insertion order; the child after the node's own objects.
    const int order[] = {1, 3, 0, 2, 4};
    for (std::size_t i = 0; i < log.size(); ++i)
        EXPECT_EQ(log[i].id, order[i]) << i;
    expectKd(log[0], 0.91f);
    expectNoMaterial(log[1]);  // same material: not applied again
    expectKd(log[2], 0.92f);
    expectKd(log[3], 0.93f);
    expectKd(log[4], 0.91f);   // every node starts without a material
    EXPECT_EQ(log[0].program, shadowProgram);
    EXPECT_EQ(log[2].program, shadowProgram);
    EXPECT_EQ(log[3].program, parallaxProgram);
    for (const DrawRecord& record : log)
        EXPECT_FALSE(record.storedWorld);
}

TEST_F(SceneNodeTest, FadedObjectsAreLeftToTheBlendedPassUnlessBlendingIsOff)
{
    SceneNode node;
    ProbeBox* faded = probe(0, materials.red);
    faded->alpha = 0.25f;
    node.addObject(faded);
    node.addObject(probe(1, materials.red));
    node.render(RENDERMETHOD_VERTEXBUFFER, false, false, false);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].id, 1);
    log.clear();
    node.render(RENDERMETHOD_VERTEXBUFFER, false, true, false);
    EXPECT_EQ(log.size(), 2u);
    ShaderManager::instance()->resetPass();
}

TEST_F(SceneNodeTest, DepthWalkAppliesNoMaterialAndSelectsNoPass)
{
    SceneNode node;
    node.addObject(probe(0, materials.red));
    node.addObject(probe(1, materials.bumpy));
    ShaderManager::instance()->setPass("shadowMapping");
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    node.render(RENDERMETHOD_VERTEXBUFFER, false, true, true);
    ShaderManager::instance()->resetPass();
    ASSERT_EQ(log.size(), 2u);
    for (const DrawRecord& record : log) {
        expectNoMaterial(record);
        EXPECT_EQ(record.program, shadowProgram);
    }
}

TEST_F(SceneNodeTest, ChildMatrixIsAppliedBeforeItsParents)
{
    SceneNode root;
    auto* outer = new SceneNode();
    outer->localMatrix = Matrix4::translation({2, 0, 0});
    auto* inner = new SceneNode();
    inner->localMatrix = Matrix4::rotationY(90 * DEGREE);
    auto* box = new BoxObject();
    box->init(0, {}, 1.0f, 1.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {}, materials.red, false, true, -1);
    box->localMatrix = Matrix4::translation({1, 0, 0});
    inner->addObject(box);
    outer->addChild(inner);
    root.addChild(outer);

    root.update(0.0f, Matrix4(), false);
    // (1, 0, 0) turned by 90 degrees about y is (0, 0, -1), then moved by (2, 0, 0).
    const Vector3 corner = Matrix4::transformPoint(box->worldMatrix, {0, 0, 0});
    EXPECT_NEAR(corner.x, 2.0f, 1e-5f);
    EXPECT_NEAR(corner.y, 0.0f, 1e-5f);
    EXPECT_NEAR(corner.z, -1.0f, 1e-5f);

    // The walk draws it where the stored world matrix says.
    clear();
    root.render(RENDERMETHOD_VERTEXBUFFER, false, false, false);
    ShaderManager::instance()->resetPass();
    const Image walked = capture();
    save(walked, "scenenode-walk");
    clear();
    ShaderManager::instance()->setPass("shadowMapping");
    box->render(RENDERMETHOD_VERTEXBUFFER, false, true);
    ShaderManager::instance()->resetPass();
    const Image stored = capture();
    EXPECT_GT(coveredPixels(walked), 200);
    EXPECT_LE(differingPixels(walked, stored, 2), 10);
}

TEST_F(SceneNodeTest, NodeWithAnActorFollowsItsPose)
{
    GamePhysic::instance()->CreateSphere(4242, {5, 6, 7}, 1);
    SceneNode node;
    node.localMatrix = Matrix4::translation({100, 0, 0});
    node.actorId = 4242;
    EXPECT_TRUE(node.nodeMatrix() == Matrix4::translation({5, 6, 7}));
    node.actorId = -1;
    EXPECT_TRUE(node.nodeMatrix() == node.localMatrix);
    GamePhysic::instance()->ReleaseActor(4242);
}
