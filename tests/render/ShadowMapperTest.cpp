#include "effects/ShadowMapper.h"

#include "RenderTestSupport.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "render/Camera.h"
#include "render/FrameData.h"
#include "render/Light.h"
#include "render/RenderManager.h"
#include "render/SceneNode.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

using namespace rendertest;

namespace {

// Window pixel of a world point under the current matrices, y from the top.
void project(const Vector3& point, int& x, int& y)
{
    double modelview[16], projection[16], winX = 0, winY = 0, winZ = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(point.x, point.y, point.z, modelview, projection, viewport, &winX, &winY, &winZ);
    x = static_cast<int>(winX);
    y = HEIGHT - 1 - static_cast<int>(winY);
}

int brightness(const Image& image, int x, int y)
{
    const std::uint8_t* p = pixel(image, x, y);
    return p[0] + p[1] + p[2];
}

}  // namespace

// A block above a floor, lit from above at an angle, drawn the way the game
// draws a frame: the whole scene from the light into the shadow map with
// nothing fading and no culling, then the scene pass comparing against it.
// The floor where the block's shadow falls keeps only its ambient light.
TEST(ShadowMapper, OccluderDarkensTheFloorBelowItThroughTheGamesPasses)
{
    const Materials& materials = startScenePass();
    RenderManager* manager = RenderManager::instance();
    auto* node = new SceneNode();
    node->name = "levelNode";
    const Vector3 none;
    node->addObject(manager->createBox({0, -1, 0}, none, 100, 2, 100, {10, 0, 0}, none, materials.red, false, true, -1));
    node->addObject(manager->createBox({0, 15, 0}, none, 12, 2, 12, {10, 0, 0}, none, materials.blue, false, true, -1));
    manager->addNode(node);

    const float lightPosition[4] = {40.0f, 60.0f, 50.0f, 1.0f};  // where the scene pass lights from
    Light light;
    light.init(lightPosition);
    light.setView(lightPosition, 0, 0, 0, 60.0f, 1.0f, 10.0f, 300.0f);
    Camera camera;
    ShadowMapper* shadows = ShadowMapper::instance();
    shadows->init(&camera, &light);
    shadows->enabled = true;
    shadows->setWindowSize(WIDTH, HEIGHT);

    FrameData& frame = FrameData::shared();
    frame.renderPass = 1;
    frame.viewMatrix = light.view();
    frame.frustumCulling = false;
    manager->setNoAlphaBlending(true);
    manager->setDepthPass(true);
    shadows->beginShadowPass();
    manager->render(false);
    shadows->endShadowPass();
    manager->setDepthPass(false);
    manager->setNoAlphaBlending(false);

    clear();
    applyCamera({0, 120, 10}, {0, 0, 0});
    light.applyPosition();
    ShaderManager* shader = ShaderManager::instance();
    shader->setMatrix(EFFECTPARAMETER_LIGHTVIEW, light.view().data());
    shader->setMatrix(EFFECTPARAMETER_LIGHTPROJ, light.projection().data());
    shader->setTexture(EFFECTPARAMETER_SHADOWMAP, shadows->depthTexture);
    manager->update(0.0f);
    manager->render(false);
    shader->resetPass();
    const Image image = capture("shadow-block");

    // The shadow's centre: the block's centre carried away from the light to y = 0;
    // the mirror point across the block lies in the open.
    int shadowX = 0, shadowY = 0, litX = 0, litY = 0;
    project({-40.0f / 3.0f, 0.0f, -50.0f / 3.0f}, shadowX, shadowY);
    project({40.0f / 3.0f, 0.0f, 50.0f / 3.0f}, litX, litY);
    const int shadowed = brightness(image, shadowX, shadowY);
    const int lit = brightness(image, litX, litY);
    EXPECT_LT(shadowed * 2, lit) << "shadow " << shadowed << " lit " << lit;
    EXPECT_GT(shadowed, 30) << "ambient light remains in the shadow";

    manager->removeNodes("levelNode");
    shadows->enabled = false;
}
