#include "RenderTestSupport.h"

#include "GlTestContext.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "level/Material.h"
#include "level/MaterialManager.h"
#include "physics/GamePhysic.h"
#include "render/FrameData.h"
#include "render/Frustum.h"
#include "render/RenderManager.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace rendertest {

namespace {

namespace fs = std::filesystem;

const Vector3 LIGHT{40.0f, 60.0f, 50.0f};
constexpr std::uint8_t CLEAR_GREY = 51;  // 0.2

// Slopes that change along s and t differently, so that a swapped or lost tangent
// frame changes the lighting; height in alpha for the parallax shift.
void bump(int x, int y, float* c)
{
    const float s = (x + 0.5f) / 64.0f * 6.2831855f, t = (y + 0.5f) / 64.0f * 6.2831855f;
    c[0] = 0.5f + 0.35f * std::sin(2.0f * s);
    c[1] = 0.5f + 0.25f * std::cos(3.0f * t);
    c[2] = 0.9f;
    c[3] = 0.5f + 0.4f * std::sin(s) * std::cos(t);
}

// A lit material with a checker texture in the given colour; marker is its diffuse red.
int addMaterial(float r, float g, float b, GLuint normalMap, float marker)
{
    Material material;
    const float ambient[4] = {0.25f, 0.25f, 0.25f, 1.0f};
    const float diffuse[4] = {marker, 0.9f, 0.9f, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    std::copy(ambient, ambient + 4, material.ambient);
    std::copy(diffuse, diffuse + 4, material.diffuse);
    std::copy(specular, specular + 4, material.specular);
    material.shininess = 16.0f;
    material.texture = GlTestContext::makeTexture(16, 16, [=](int x, int y, float* c) {
        const float shade = ((x / 4 + y / 4) % 2) ? 1.0f : 0.6f;
        c[0] = r * shade;
        c[1] = g * shade;
        c[2] = b * shade;
        c[3] = 1.0f;
    });
    material.normalMap = normalMap;
    material.hasNormalMap = normalMap != 0;
    return MaterialManager::instance()->addMaterial(material);
}

Materials setUpOnce()
{
    GlTestContext::ensure(WIDTH, HEIGHT);
    const fs::path folder = fs::temp_directory_path() / ("pitchroll-render-" + std::to_string(getpid()));
    fs::create_directories(folder / "data" / "shaders");
    fs::copy_file(PITCHROLL_SOURCE_DIR "/data/shaders/effectShader.cgfx", folder / "data/shaders/effectShader.cgfx",
                  fs::copy_options::overwrite_existing);
    fs::current_path(folder);
    static const std::string removeAtExit = folder.string();
    std::atexit([] { fs::remove_all(removeAtExit); });

    testing::internal::CaptureStdout();
    ShaderManager::instance()->init();
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    GamePhysic::instance()->Init(false);
    RenderManager::instance()->init();

    glViewport(0, 0, WIDTH, HEIGHT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    return {addMaterial(1.0f, 0.3f, 0.2f, 0, 0.91f), addMaterial(0.2f, 0.4f, 1.0f, 0, 0.92f),
            addMaterial(0.9f, 0.9f, 0.5f, GlTestContext::makeTexture(64, 64, bump), 0.93f)};
}

}  // namespace

const Materials& startScenePass()
{
    static const Materials materials = setUpOnce();
    FrameData& frame = FrameData::shared();
    frame.frustumCulling = true;
    frame.renderPass = 2;
    lookAtBall({0.0f, 0.0f, 0.0f}, {1000.0f, 0.0f, 0.0f});  // far off to the side
    RenderManager* manager = RenderManager::instance();
    manager->setNoAlphaBlending(false);
    manager->setDepthPass(false);
    manager->update(0.0f);  // empties the blended queue
    ShaderManager::instance()->resetPass();
    return materials;
}

void applyCamera(const Vector3& eye, const Vector3& target)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(WIDTH) / HEIGHT, 1.0, 1000.0);
    Matrix4 projection, view;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
    glGetFloatv(GL_MODELVIEW_MATRIX, view.data());

    FrameData& frame = FrameData::shared();
    frame.viewMatrix = view;
    frame.eyePosition = eye;
    frame.lightPosition = LIGHT;
    frame.frustum = extractFrustum(projection, view);
    frame.renderPass = 2;

    // The light's frustum misses the scene: every fragment counts as lit.
    ShaderManager* shader = ShaderManager::instance();
    shader->setMatrix(EFFECTPARAMETER_LIGHTPROJ, Matrix4().data());
    shader->setMatrix(EFFECTPARAMETER_LIGHTVIEW, Matrix4::translation({50.0f, 50.0f, 50.0f}).data());
    const Vector3 viewLight = Matrix4::transformPoint(view, LIGHT);
    const float viewLightValues[3] = {viewLight.x, viewLight.y, viewLight.z};
    shader->setVector3(EFFECTPARAMETER_VIEWLIGHTPOSITION, viewLightValues);
}

void lookAtBall(const Vector3& eye, const Vector3& ball)
{
    FrameData& frame = FrameData::shared();
    frame.eyeToBall = Ray(eye, ball - eye);
    frame.eyeToBallDistance = (ball - eye).length();
}

void clear()
{
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Image capture(const char* name)
{
    const std::string path = name ? std::string(RENDER_TEST_OUTPUT_DIR) + "/" + name + ".ppm" : std::string();
    return GlTestContext::readPixels(WIDTH, HEIGHT, name ? path.c_str() : nullptr);
}

int differingPixels(const Image& a, const Image& b, int tolerance)
{
    int count = 0;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        int largest = 0;
        for (std::size_t c = 0; c < 3; ++c)
            largest = std::max(largest, std::abs(int(a[i + c]) - int(b[i + c])));
        count += largest > tolerance;
    }
    return count;
}

int coveredPixels(const Image& image)
{
    int count = 0;
    for (std::size_t i = 0; i + 3 < image.size(); i += 4)
        count += image[i] != CLEAR_GREY || image[i + 1] != CLEAR_GREY || image[i + 2] != CLEAR_GREY;
    return count;
}

const std::uint8_t* pixel(const Image& image, int x, int y)
{
    return GlTestContext::pixel(image, WIDTH, x, y);
}

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

int passProgram(const char* name)
{
    ShaderManager::instance()->setPass(name);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    ShaderManager::instance()->resetPass();
    return program;
}

const float KD_SENTINEL[4] = {-1.0f, -2.0f, -3.0f, -4.0f};

ProbeBox::ProbeBox(std::vector<DrawRecord>& drawLog, int objectId, int material) : log(drawLog)
{
    init(objectId, {}, 1.0f, 1.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {}, material, false, true, -1);
}

void ProbeBox::render(int renderMethod, bool useDisplayLists, bool useStoredWorld)
{
    DrawRecord record;
    record.id = id;
    record.storedWorld = useStoredWorld;
    glGetIntegerv(GL_CURRENT_PROGRAM, &record.program);
    glGetIntegerv(GL_FRONT_FACE, &record.frontFace);
    if (record.program)  // else Kd stays 0
        glGetUniformfv(GLuint(record.program), glGetUniformLocation(GLuint(record.program), "Kd"), record.kd);
    log.push_back(record);
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    BoxObject::render(renderMethod, useDisplayLists, useStoredWorld);
}

}  // namespace rendertest
