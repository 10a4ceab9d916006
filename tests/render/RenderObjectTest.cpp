#include "render/RenderObject.h"

#include "RenderTestSupport.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "physics/PhysicsElement.h"
#include "render/BoxObject.h"
#include "render/FrameData.h"
#include "render/MeshObject.h"
#include "render/RenderManager.h"
#include "render/RenderMethod.h"
#include "render/SphereObject.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace rendertest;

namespace {

constexpr float DEGREE = 0.017453292f;

Owned<BoxObject> makeBox(int material, float width, float height, float depth, const Matrix4& placement = Matrix4())
{
    Owned<BoxObject> box(new BoxObject());
    box->init(0, {}, width, height, depth, {0.5f, 0, 0}, {0, 0, 0}, material, false, true, -1);
    box->localMatrix = placement;
    return box;
}

Owned<SphereObject> makeSphere(int material, float radius, const Matrix4& placement = Matrix4())
{
    Owned<SphereObject> sphere(new SphereObject());
    sphere->init(1, radius, 24, {}, material, false, true, -1);
    sphere->localMatrix = placement;
    return sphere;
}

// A bent 8 x 8 patch (part of a cylinder around y) of indexed triangles as an
// imported mesh has them, with the texture twice across it.
class Patch : public RenderObject {
public:
    explicit Patch(int material, const Matrix4& placement = Matrix4())
    {
        constexpr int cells = 8;
        vertexCount = (cells + 1) * (cells + 1);
        vertices = new Vertex[vertexCount];
        for (int row = 0; row <= cells; ++row) {
            for (int column = 0; column <= cells; ++column) {
                const float angle = (float(column) / cells - 0.5f) * 1.6f;
                Vertex& v = vertices[row * (cells + 1) + column];
                v.normal = {std::sin(angle), 0.0f, std::cos(angle)};
                v.position = {3.0f * std::sin(angle), 3.0f * (float(row) / cells - 0.5f), 3.0f * std::cos(angle) - 3.0f};
                v.u = 2.0f * float(column) / cells;
                v.v = 2.0f * float(row) / cells;
            }
        }
        indexCount = cells * cells * 6;
        indices = new std::uint32_t[indexCount];
        std::uint32_t* index = indices;
        for (std::uint32_t a = 0; a + cells + 2 < std::uint32_t(vertexCount); ++a) {
            if (a % (cells + 1) == cells)
                continue;
            const std::uint32_t b = a + 1, c = a + cells + 1, d = c + 1;
            for (const std::uint32_t i : {a, b, d, a, d, c})
                *index++ = i;
        }
        initCommon(2, TYPE_MESH, material, false, true, -1);
        localMatrix = placement;
        build();
    }
};

// Draws objects as the opaque pass does for separate nodes: material, pass, object.
void draw(const std::vector<RenderObject*>& objects, int method, bool useDisplayLists)
{
    for (RenderObject* object : objects) {
        MaterialManager::instance()->applyMaterial(object->materialId);
        ShaderManager::instance()->setPass(object->effectPass());
        object->render(method, useDisplayLists, false);
    }
    ShaderManager::instance()->resetPass();
}

// A later draw would otherwise read this object's (possibly freed) vertices.
void expectNoArrayEnabledAndUnitZeroActive()
{
    for (int unit = 0; unit < 3; ++unit) {
        glClientActiveTextureARB(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << unit;
    }
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY) || glIsEnabled(GL_VERTEX_ARRAY));
    GLint active = 0, buffer = 1, elements = 1;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &buffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, &elements);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(buffer, 0);
    EXPECT_EQ(elements, 0);
}

class RenderObjectTest : public testing::Test {
protected:
    void SetUp() override { materials = startScenePass(); }

    Materials materials;
};

}  // namespace

TEST_F(RenderObjectTest, EveryRenderMethodDrawsTheSamePicture)
{
    auto box = makeBox(materials.red, 2.0f, 1.5f, 1.0f,
                       Matrix4::rotationXYZ(20 * DEGREE, 35 * DEGREE, 0) * Matrix4::translation({-2.2f, 0.8f, 0}));
    auto bumpyBox = makeBox(materials.bumpy, 1.6f, 1.6f, 1.6f,
                            Matrix4::rotationXYZ(-15 * DEGREE, 30 * DEGREE, 0) * Matrix4::translation({-1.8f, -1.5f, 0.5f}));
    auto sphere = makeSphere(materials.bumpy, 1.2f, Matrix4::translation({1.0f, 1.0f, 0}));
    Owned<Patch> patch(new Patch(materials.bumpy, Matrix4::rotationY(-20 * DEGREE) *
                                                      Matrix4::translation({2.5f, -1.3f, 0.5f})));
    const std::vector<RenderObject*> objects = {box.get(), bumpyBox.get(), sphere.get(), patch.get()};
    const struct {
        int method;
        bool lists;
        const char* name;
    } variants[] = {
        {RENDERMETHOD_IMMEDIATE, false, "methods-immediate"},
        {RENDERMETHOD_IMMEDIATE, true, "methods-immediate-lists"},
        {RENDERMETHOD_VERTEXARRAY, false, "methods-vertexarray"},
        {RENDERMETHOD_VERTEXARRAY, true, "methods-vertexarray-lists"},
        {RENDERMETHOD_VERTEXBUFFER, false, "methods-vertexbuffer"},
        {RENDERMETHOD_VERTEXBUFFER, true, "methods-vertexbuffer-lists"},
    };
    Image reference;
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.name);
        clear();
        applyCamera({0, 1.5f, 9}, {0, 0, 0});
        for (RenderObject* object : objects)
            object->update(0.0f, Matrix4(), false);
        draw(objects, variant.method, variant.lists);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        expectNoArrayEnabledAndUnitZeroActive();
        const Image image = capture(variant.name);
        if (reference.empty())
            reference = image;
        EXPECT_GT(coveredPixels(image), WIDTH * HEIGHT / 6) << "shaded, textured objects fill the view";
        EXPECT_LE(differingPixels(reference, image, 2), WIDTH * HEIGHT / 1000);
    }
}

TEST_F(RenderObjectTest, EmptyMeshDrawsNothing)
{
    Owned<MeshObject> mesh(new MeshObject());
    mesh->init(2, "missing.mesh", materials.red, false, true, -1);  // its line is MeshImporterTest's
    EXPECT_EQ(mesh->vertexCount, 0);

    clear();
    applyCamera({0, 0, 5}, {0, 0, 0});
    lookAtBall({0, 0, 5}, {0, 0, -5});
    mesh->update(0.1f, Matrix4(), false);
    EXPECT_EQ(mesh->alpha, 1.0f) << "hides nothing";
    for (int method = RENDERMETHOD_IMMEDIATE; method <= RENDERMETHOD_VERTEXBUFFER; ++method)
        draw({mesh.get()}, method, true);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(coveredPixels(capture()), 0);
}

TEST_F(RenderObjectTest, ReleaseFreesArraysBuffersAndDisplayListsAndARebuildReplacesThem)
{
    const int lists = countLists(), buffers = countBuffers();
    Owned<Patch> patch(new Patch(materials.red));
    EXPECT_EQ(countLists(), lists) << "display lists are recorded on first use";
    EXPECT_EQ(countBuffers(), buffers + 2);
    for (const int method : {RENDERMETHOD_IMMEDIATE, RENDERMETHOD_VERTEXARRAY, RENDERMETHOD_IMMEDIATE})
        patch->render(method, true, false);
    EXPECT_EQ(countLists(), lists + 2);
    patch->releaseBuffers();
    EXPECT_EQ(patch->vertices, nullptr);
    EXPECT_EQ(patch->indices, nullptr);
    EXPECT_EQ(countLists(), lists);
    EXPECT_EQ(countBuffers(), buffers);
    patch->releaseBuffers();  // again, as the owner's deleter does: nothing left to free

    auto sphere = makeSphere(materials.red, 1.0f);
    sphere->init(1, 2.0f, 8, {}, materials.red, false, true, -1);
    EXPECT_EQ(countLists(), lists);
    EXPECT_EQ(countBuffers(), buffers + 1);
}

TEST_F(RenderObjectTest, SphereIsBuiltWithABoundedPrecision)
{
    testing::internal::CaptureStdout();
    auto sphere = makeSphere(materials.red, 1.0f);
    sphere->init(1, 1.0f, 1000000000, {}, materials.red, false, true, -1);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sphere precision 1000000000 is too high, using 256\n");
    EXPECT_EQ(sphere->precision, 256);
}

TEST_F(RenderObjectTest, OnlyAFadeableVisibleOccluderFartherThanOneFromTheEyeFades)
{
    auto box = makeBox(materials.red, 2, 2, 2);
    applyCamera({0, 0, 20}, {0, 0, 0});
    // From alpha 0.5, one update of 0.1 s.
    const struct {
        Vector3 eye, ball;
        bool fadeable, noFade;
        float alpha;
        const char* what;
    } cases[] = {
        {{0, 0, 20}, {0, 0, -10}, true, false, 0.25f, "hiding the ball: fades"},
        {{0, 0, 20}, {0, 0, 10}, true, false, 0.8f, "behind the ball: comes back"},
        {{0, 0, 1.5f}, {0, 0, -10}, true, false, 0.8f, "within 1.0 of the eye: comes back"},
        {{0, 0, 20}, {0, 0, -10}, false, false, 0.5f, "not tested for hiding the ball: left alone"},
        {{0, 0, 20}, {0, 0, -10}, true, true, 0.5f, "fading switched off: left alone"},
    };
    for (const auto& c : cases) {
        lookAtBall(c.eye, c.ball);
        box->fadeable = c.fadeable;
        box->alpha = 0.5f;
        RenderManager::instance()->update(0.0f);
        box->update(0.1f, Matrix4(), c.noFade);
        EXPECT_NEAR(box->alpha, c.alpha, 1e-5f) << c.what;
        EXPECT_EQ(RenderManager::instance()->transparentCount(), c.alpha == 0.5f ? 0u : 1u) << c.what;
    }

    // Culled (behind the eye): fades back, draws nothing unless culling is off.
    box->localMatrix = Matrix4::translation({0, 0, 40});
    box->alpha = 0.4f;
    box->update(0.1f, Matrix4(), false);
    EXPECT_TRUE(box->isCulled());
    EXPECT_NEAR(box->alpha, 0.7f, 1e-5f);
    clear();
    applyCamera({0, 0, 60}, {0, 0, 0});
    draw({box.get()}, RENDERMETHOD_VERTEXBUFFER, false);
    EXPECT_EQ(coveredPixels(capture()), 0);
    FrameData::shared().frustumCulling = false;
    draw({box.get()}, RENDERMETHOD_VERTEXBUFFER, false);
    EXPECT_GT(coveredPixels(capture()), 0);
}

TEST_F(RenderObjectTest, MovingElementIsPlacedAtItsPhysicsPose)
{
    // A level box with a jointed child, moving index 0.
    PhysicsElement top, child;
    top.type = child.type = "box";
    top.measures = {10, 1, 10};
    top.position = {0, -20, 0};
    child.connection = CONNECTION_FIXED;
    child.movingIndex = 0;
    child.measures = {2, 2, 2};
    child.position = {0, 3, 0};
    top.children.push_back(&child);
    GamePhysic::instance()->CreateKinematicLevel(RenderManager::instance()->nextActorIdAndAdvance(), {&top});
    const Matrix4 pose = GamePhysic::instance()->GetMovingElementPose(0);
    ASSERT_TRUE(pose == Matrix4::translation({0, -17, 0}));
    Owned<BoxObject> moving(RenderManager::instance()->createBox({50, 50, 50}, {0, 30 * DEGREE, 0}, 2, 2, 2,
                                                                 {0.5f, 0, 0}, {}, materials.blue, false, true, 0));
    EXPECT_TRUE(moving->localMatrix == Matrix4::rotationY(30 * DEGREE)) << "the position comes from the body";

    // Under a tilted node it still lands on the body's pose.
    moving->update(0.0f, Matrix4::rotationX(5 * DEGREE) * Matrix4::translation({1, 2, 3}), false);
    EXPECT_TRUE(moving->worldMatrix == moving->localMatrix * pose);
    GamePhysic::instance()->ClearLevel();
}
