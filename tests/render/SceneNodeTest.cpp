#include "render/SceneNode.h"

#include "RenderTestSupport.h"
#include "render/BoxObject.h"

#include <gtest/gtest.h>

using namespace rendertest;

TEST(SceneNode, ChildMatrixIsAppliedBeforeItsParents)
{
    const Materials& materials = startScenePass();
    applyCamera({0, 2, 10}, {0, 0, 0});
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
}
