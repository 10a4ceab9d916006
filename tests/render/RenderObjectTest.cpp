#include "render/RenderObject.h"

#include "RenderTestSupport.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "math/Ray.h"
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
#include <list>
#include <memory>
#include <string>
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

// A bent 8 x 8 patch (part of a cylinder around y) with the texture twice across it.
void writePatch(const std::string& fileName)
{
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    const int cells = 8;
    for (int row = 0; row <= cells; ++row) {
        for (int column = 0; column <= cells; ++column) {
            const float angle = (static_cast<float>(column) / cells - 0.5f) * 1.6f;
            Vertex v;
            v.normal = {std::sin(angle), 0.0f, std::cos(angle)};
            v.position = {3.0f * std::sin(angle), 3.0f * (static_cast<float>(row) / cells - 0.5f),
                          3.0f * std::cos(angle) - 3.0f};
            v.u = 2.0f * column / cells;
            v.v = 2.0f * row / cells;
            vertices.push_back(v);
        }
    }
    for (int row = 0; row < cells; ++row) {
        for (int column = 0; column < cells; ++column) {
            const std::uint32_t a = static_cast<std::uint32_t>(row * (cells + 1) + column);
            const std::uint32_t b = a + 1, c = a + cells + 1, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    }
    writeMesh(fileName, vertices, indices);
}

Owned<MeshObject> makeMesh(const char* fileName, int material, const Matrix4& placement = Matrix4())
{
    Owned<MeshObject> mesh(new MeshObject());
    mesh->init(2, fileName, material, false, true, -1);
    mesh->localMatrix = placement;
    return mesh;
}

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

void lookAtBall(const Vector3& eye, const Vector3& ball)
{
    FrameData& frame = FrameData::shared();
    frame.eyeToBall = Ray(eye, ball - eye);
    frame.eyeToBallDistance = (ball - eye).length();
}

// Number of names in 1 .. 4000 that are display lists / buffer objects.
int countLists()
{
    int count = 0;
    for (GLuint name = 1; name <= 4000; ++name)
        count += glIsList(name) == GL_TRUE;
    return count;
}

int countBuffers()
{
    int count = 0;
    for (GLuint name = 1; name <= 4000; ++name)
        count += glIsBufferARB(name) == GL_TRUE;
    return count;
}

class RenderObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        materials = setUp();
        resetFrame();
    }

    Materials materials;
};

}  // namespace

TEST_F(RenderObjectTest, EveryRenderMethodDrawsTheSamePicture)
{
    writePatch("patch.mesh");
    auto box = makeBox(materials.red, 2.0f, 1.5f, 1.0f,
                       Matrix4::rotationXYZ(20 * DEGREE, 35 * DEGREE, 0) * Matrix4::translation({-2.2f, 0.8f, 0}));
    auto bumpyBox = makeBox(materials.bumpy, 1.6f, 1.6f, 1.6f,
                            Matrix4::rotationXYZ(-15 * DEGREE, 30 * DEGREE, 0) * Matrix4::translation({-1.8f, -1.5f, 0.5f}));
    auto sphere = makeSphere(materials.bumpy, 1.2f, Matrix4::translation({1.0f, 1.0f, 0}));
    auto mesh = makeMesh("patch.mesh", materials.bumpy,
                         Matrix4::rotationY(-20 * DEGREE) * Matrix4::translation({2.5f, -1.3f, 0.5f}));
    ASSERT_EQ(mesh->vertexCount, 81);
    ASSERT_EQ(mesh->indexCount, 384);
    const std::vector<RenderObject*> objects = {box.get(), bumpyBox.get(), sphere.get(), mesh.get()};

    struct Variant {
        int method;
        bool lists;
        const char* name;
    };
    const Variant variants[] = {
        {RENDERMETHOD_IMMEDIATE, false, "methods-immediate"},
        {RENDERMETHOD_IMMEDIATE, true, "methods-immediate-lists"},
        {RENDERMETHOD_VERTEXARRAY, false, "methods-vertexarray"},
        {RENDERMETHOD_VERTEXARRAY, true, "methods-vertexarray-lists"},
        {RENDERMETHOD_VERTEXBUFFER, false, "methods-vertexbuffer"},
        {RENDERMETHOD_VERTEXBUFFER, true, "methods-vertexbuffer-lists"},
    };
    Image reference;
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        clear();
        applyCamera({0, 1.5f, 9}, {0, 0, 0});
        for (RenderObject* object : objects)
            object->update(0.0f, Matrix4(), false);
        draw(objects, variant.method, variant.lists);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const Image image = capture();
        save(image, variant.name);
        if (reference.empty()) {
            reference = image;
            // The objects fill a good part of the view with shaded, textured colours.
            EXPECT_GT(coveredPixels(image), WIDTH * HEIGHT / 6);
            continue;
        }
        EXPECT_LE(differingPixels(reference, image, 2), WIDTH * HEIGHT / 1000);
    }
}

TEST_F(RenderObjectTest, EmptyMeshDrawsNothing)
{
    testing::internal::CaptureStdout();
    auto mesh = makeMesh("missing.mesh", materials.red);
    std::fflush(stdout);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("missing.mesh"), std::string::npos) << output;
    EXPECT_EQ(mesh->vertexCount, 0);
    EXPECT_EQ(mesh->boundingSphere.radius, 0.0f);

    clear();
    applyCamera({0, 0, 5}, {0, 0, 0});
    lookAtBall({0, 0, 5}, {0, 0, -5});
    mesh->update(0.1f, Matrix4(), false);
    EXPECT_EQ(mesh->alpha, 1.0f);
    for (int method = RENDERMETHOD_IMMEDIATE; method <= RENDERMETHOD_VERTEXBUFFER; ++method) {
        draw({mesh.get()}, method, false);
        draw({mesh.get()}, method, true);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(coveredPixels(capture()), 0);
}

TEST_F(RenderObjectTest, ArrayDrawingLeavesNoArrayEnabledAndUnitZeroActive)
{
    auto box = makeBox(materials.red, 1, 1, 1);
    applyCamera({0, 0, 5}, {0, 0, 0});
    for (int method : {RENDERMETHOD_VERTEXARRAY, RENDERMETHOD_VERTEXBUFFER}) {
        SCOPED_TRACE(method);
        box->render(method, false, false);
        for (int unit = 0; unit < 3; ++unit) {
            glClientActiveTextureARB(GL_TEXTURE0_ARB + unit);
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << unit;
        }
        glClientActiveTextureARB(GL_TEXTURE0_ARB);
        EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
        GLint active = 0, buffer = 1, elements = 1;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &buffer);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB, &elements);
        EXPECT_EQ(active, GL_TEXTURE0_ARB);
        EXPECT_EQ(buffer, 0);
        EXPECT_EQ(elements, 0);
    }
}

TEST_F(RenderObjectTest, ReleaseFreesArraysBuffersAndDisplayLists)
{
    writePatch("release.mesh");
    const int lists = countLists(), buffers = countBuffers();
    Owned<MeshObject> mesh = makeMesh("release.mesh", materials.red);
    EXPECT_EQ(countLists(), lists + 2);
    EXPECT_EQ(countBuffers(), buffers + 2);
    mesh->releaseBuffers();
    EXPECT_EQ(mesh->vertices, nullptr);
    EXPECT_EQ(mesh->indices, nullptr);
    EXPECT_EQ(countLists(), lists);
    EXPECT_EQ(countBuffers(), buffers);
    mesh->releaseBuffers();  // again, as the owner's deleter does: nothing left to free

    // Building a sphere again replaces its buffers and lists instead of adding more.
    auto sphere = makeSphere(materials.red, 1.0f);
    sphere->init(1, 2.0f, 8, {}, materials.red, false, true, -1);
    EXPECT_EQ(countLists(), lists + 2);
    EXPECT_EQ(countBuffers(), buffers + 1);
}

TEST_F(RenderObjectTest, SphereIsBuiltWithABoundedPrecision)
{
    testing::internal::CaptureStdout();
    auto sphere = makeSphere(materials.red, 1.0f);
    sphere->init(1, 1.0f, 1000000000, {}, materials.red, false, true, -1);
    std::fflush(stdout);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sphere->precision, 256);
    EXPECT_EQ(output, "Sphere precision 1000000000 is too high, using 256\n");
    sphere->init(1, -2.0f, 3, {5, 5, 5}, materials.red, false, false, -1);
    EXPECT_EQ(sphere->precision, 4);
    EXPECT_EQ(sphere->radius, 2.0f);
    EXPECT_EQ(sphere->vertexCount, 20);
    // Without the second flag the sphere is built around the origin.
    for (int i = 0; i < sphere->vertexCount; ++i)
        EXPECT_NEAR(sphere->vertices[i].position.length(), 2.0f, 1e-5f);
}

// Fading, per type: an occluder between the eye and the ball fades by 3 per second
// to 0.25, is queued for the blended pass while below 1, and comes back once clear.
TEST_F(RenderObjectTest, ObjectsBetweenEyeAndBallFadeAndReturn)
{
    writePatch("fade.mesh");
    auto box = makeBox(materials.red, 2, 2, 2);
    auto sphere = makeSphere(materials.red, 1.0f);
    auto mesh = makeMesh("fade.mesh", materials.red, Matrix4::translation({0, 0, 3}));
    applyCamera({0, 0, 20}, {0, 0, 0});
    for (RenderObject* object : std::vector<RenderObject*>{box.get(), sphere.get(), mesh.get()}) {
        SCOPED_TRACE(object->type);
        RenderManager* manager = RenderManager::instance();
        lookAtBall({0, 0, 20}, {0, 0, -10});
        const float expected[] = {0.7f, 0.4f, 0.25f, 0.25f};
        for (float alpha : expected) {
            manager->update(0.0f);
            object->update(0.1f, Matrix4(), false);
            EXPECT_TRUE(object->isOccluding());
            EXPECT_NEAR(object->alpha, alpha, 1e-5f);
            EXPECT_EQ(manager->transparentCount(), 1u);
        }
        // The ball moved aside: back to 1 at the same rate; queued until then.
        lookAtBall({0, 0, 20}, {30, 0, -10});
        const float back[] = {0.55f, 0.85f, 1.0f};
        for (float alpha : back) {
            manager->update(0.0f);
            object->update(0.1f, Matrix4(), false);
            EXPECT_FALSE(object->isOccluding());
            EXPECT_NEAR(object->alpha, alpha, 1e-5f);
            EXPECT_EQ(manager->transparentCount(), alpha < 1.0f ? 1u : 0u);
        }
    }
}

TEST_F(RenderObjectTest, ObjectsThatDoNotHideTheBallStayOpaque)
{
    auto box = makeBox(materials.red, 2, 2, 2);
    applyCamera({0, 0, 20}, {0, 0, 0});
    RenderManager* manager = RenderManager::instance();
    const auto fadesAfter = [&](float seconds) {
        box->alpha = 1.0f;
        manager->update(0.0f);
        box->update(seconds, Matrix4(), false);
        return box->alpha < 1.0f;
    };
    // Behind the ball.
    lookAtBall({0, 0, 20}, {0, 0, 10});
    EXPECT_FALSE(fadesAfter(0.1f));
    // Hiding it, but within 1.0 of the eye.
    lookAtBall({0, 0, 1.5f}, {0, 0, -10});
    EXPECT_FALSE(fadesAfter(0.1f));
    // Hiding it, but not tested for it (the level's ballTest false).
    lookAtBall({0, 0, 20}, {0, 0, -10});
    box->fadeable = false;
    EXPECT_FALSE(fadesAfter(0.1f));
    box->fadeable = true;
    EXPECT_TRUE(fadesAfter(0.1f));
    EXPECT_EQ(manager->transparentCount(), 1u);
}

TEST_F(RenderObjectTest, WithoutFadingAHalfFadedObjectKeepsItsAlpha)
{
    auto box = makeBox(materials.red, 2, 2, 2);
    applyCamera({0, 0, 20}, {0, 0, 0});
    lookAtBall({0, 0, 20}, {0, 0, -10});
    box->alpha = 0.5f;
    RenderManager::instance()->update(0.0f);
    box->update(0.1f, Matrix4(), true);
    EXPECT_EQ(box->alpha, 0.5f);
    EXPECT_EQ(RenderManager::instance()->transparentCount(), 0u);
}

TEST_F(RenderObjectTest, CulledObjectFadesBackAndDrawsNothing)
{
    auto box = makeBox(materials.red, 2, 2, 2, Matrix4::translation({0, 0, 40}));  // behind the eye
    applyCamera({0, 0, 20}, {0, 0, 0});
    box->alpha = 0.4f;
    RenderManager::instance()->update(0.0f);
    box->update(0.1f, Matrix4(), false);
    EXPECT_TRUE(box->isCulled());
    EXPECT_NEAR(box->alpha, 0.7f, 1e-5f);
    EXPECT_EQ(RenderManager::instance()->transparentCount(), 1u);

    // Seen from the other side, with culling switched off, it is drawn.
    clear();
    applyCamera({0, 0, 60}, {0, 0, 0});
    draw({box.get()}, RENDERMETHOD_VERTEXBUFFER, false);
    EXPECT_EQ(coveredPixels(capture()), 0);
    FrameData::shared().frustumCulling = false;
    draw({box.get()}, RENDERMETHOD_VERTEXBUFFER, false);
    EXPECT_GT(coveredPixels(capture()), 0);
}

TEST_F(RenderObjectTest, MovingElementIsDrawnAtItsPhysicsPose)
{
    // A level box with one sliding child: moving index 0.
    auto* top = new PhysicsElement();
    top->type = "box";
    top->measures = {10, 1, 10};
    top->position = {0, -20, 0};
    auto* slider = new PhysicsElement();
    slider->type = "box";
    slider->connection = CONNECTION_MOVING;
    slider->movingIndex = 0;
    slider->measures = {2, 2, 2};
    slider->position = {0, 3, 0};
    slider->axis = {1, 0, 0};
    slider->distanceFactor = 3.0f;
    slider->timeFactor = 2.0f;
    slider->speedFactor = 20.0f;
    top->children.push_back(slider);
    GamePhysic* physics = GamePhysic::instance();
    const int levelId = RenderManager::instance()->nextActorIdAndAdvance();
    physics->CreateKinematicLevel(levelId, {top});
    delete slider;
    delete top;
    for (int i = 0; i < 6; ++i) {
        physics->UpdateMovingElements(0.1f);
        physics->Simulate();
        physics->FetchResults();
    }
    const Matrix4 pose = physics->GetMovingElementPose(0);
    ASSERT_FALSE(pose == Matrix4()) << "the element should have a pose of its own";

    BoxObject* moving = RenderManager::instance()->createBox({50, 50, 50}, {0, 30 * DEGREE, 0}, 2, 2, 2,
                                                             {0.5f, 0, 0}, {}, materials.blue, false, true, 0);
    Owned<BoxObject> owned(moving);
    EXPECT_TRUE(moving->localMatrix == Matrix4::rotationXYZ(0, 30 * DEGREE, 0)) << "the position comes from the body";

    // Drawn under a tilted node, it still lands on the body's pose.
    const Vector3 body{pose[12], pose[13], pose[14]};
    const Vector3 eye = body + Vector3(0, 4, 12);
    const Matrix4 tilt = Matrix4::rotationX(5 * DEGREE) * Matrix4::translation({1, 2, 3});
    clear();
    applyCamera(eye, body);
    moving->update(0.0f, tilt, false);
    EXPECT_TRUE(moving->worldMatrix == moving->localMatrix * pose);
    glPushMatrix();
    glMultMatrixf(tilt.data());
    draw({moving}, RENDERMETHOD_VERTEXBUFFER, false);
    glPopMatrix();
    const Image image = capture();
    save(image, "moving-element");

    // The same box placed by hand at local then pose.
    auto reference = makeBox(materials.blue, 2, 2, 2, moving->localMatrix * pose);
    clear();
    applyCamera(eye, body);
    reference->update(0.0f, Matrix4(), false);
    draw({reference.get()}, RENDERMETHOD_VERTEXBUFFER, false);
    const Image expected = capture();
    EXPECT_GT(coveredPixels(expected), 500);
    EXPECT_LE(differingPixels(image, expected, 2), 10);
    physics->ClearLevel();
}
