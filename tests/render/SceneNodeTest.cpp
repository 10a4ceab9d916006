#include "render/SceneNode.h"

#include "RenderTestSupport.h"
#include "effects/ShaderManager.h"
#include "physics/GamePhysic.h"
#include "render/BoxObject.h"
#include "render/RenderMethod.h"

#include <gtest/gtest.h>

#include <vector>

using namespace rendertest;

namespace {

class SceneNodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = startScenePass();
        applyCamera({0, 2, 10}, {0, 0, 0});
    }

    ProbeBox* probe(int id, int material) { return new ProbeBox(log, id, material); }

    Materials materials;
    std::vector<DrawRecord> log;
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
    node.render(RENDERMETHOD_VERTEXBUFFER, false, false, false);
    ShaderManager::instance()->resetPass();

    // Key order: red (1), blue (2), bumpy (3 with the normal-map bit, 35); equal
    // keys in insertion order; the child after the node's own objects, starting
    // without a material. The sentinel shows that no material was applied.
    const struct {
        int id;
        float kdRed;
        const char* pass;
    } expected[] = {{1, 0.91f, "shadowMapping"},
                    {3, KD_SENTINEL[0], "shadowMapping"},
                    {0, 0.92f, "shadowMapping"},
                    {2, 0.93f, "parallaxShadowMapping"},
                    {4, 0.91f, "shadowMapping"}};
    ASSERT_EQ(log.size(), 5u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log[i].id, expected[i].id);
        EXPECT_FLOAT_EQ(log[i].kd[0], expected[i].kdRed);
        EXPECT_EQ(log[i].program, passProgram(expected[i].pass));
        EXPECT_FALSE(log[i].storedWorld);
    }
}

TEST_F(SceneNodeTest, ChildMatrixIsAppliedBeforeItsParents)
{
    SceneNode root;
    auto* outer = new SceneNode();
    outer->localMatrix = Matrix4::translation({2, 0, 0});
    auto* inner = new SceneNode();
    inner->localMatrix = Matrix4::rotationY(90 * 0.017453292f);
    auto* box = new BoxObject();
    box->init(0, {}, 1.0f, 1.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {}, materials.red, false, true, -1);
    box->localMatrix = Matrix4::translation({1, 0, 0});
    inner->addObject(box);
    outer->addChild(inner);
    root.addChild(outer);
    EXPECT_EQ(inner->parent, outer);

    root.update(0.0f, Matrix4(), false);
    // (1, 0, 0) turned by 90 degrees about y is (0, 0, -1), then moved by (2, 0, 0).
    const Vector3 corner = Matrix4::transformPoint(box->worldMatrix, {0, 0, 0});
    EXPECT_NEAR((corner - Vector3(2, 0, -1)).length(), 0.0f, 1e-5f);

    // The walk draws it where the stored world matrix says.
    clear();
    root.render(RENDERMETHOD_VERTEXBUFFER, false, false, false);
    ShaderManager::instance()->resetPass();
    const Image walked = capture("scenenode-walk");
    clear();
    ShaderManager::instance()->setPass("shadowMapping");
    box->render(RENDERMETHOD_VERTEXBUFFER, false, true);
    ShaderManager::instance()->resetPass();
    EXPECT_GT(coveredPixels(walked), 200);
    EXPECT_LE(differingPixels(walked, capture(), 2), 10);
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
