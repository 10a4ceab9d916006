#include "game/Game.h"

#include "effects/EffectParameter.h"
#include "effects/ParticleEmitter.h"
#include "effects/ParticleFrames.h"
#include "effects/ParticleRenderer.h"
#include "effects/ShaderManager.h"
#include "effects/ShadowMapper.h"
#include "game/HudText.h"
#include "game/InputManager.h"
#include "game/LevelInfo.h"
#include "level/LevelLoader.h"
#include "level/MaterialManager.h"
#include "level/TextureManager.h"
#include "physics/DebugRenderer.h"
#include "physics/GamePhysic.h"
#include "platform/PerformanceCounter.h"
#include "render/Ball.h"
#include "render/Camera.h"
#include "render/FrameData.h"
#include "render/Light.h"
#include "render/RenderManager.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr int FONT = 1;  // 9x15, used for every line
constexpr float YELLOW[3] = {1.0f, 1.0f, 0.0f};
constexpr int KEY_ESCAPE = 27;
constexpr float LIGHT_START[4] = {276.0f, 300.0f, 36.0f, 1.0f};
constexpr float LIGHT_FIELD_OF_VIEW = 40.0f;  // degrees, vertical

const char* const LEVEL_FILES[Game::LEVEL_COUNT] = {
    "data/levels/jungle.xml", "data/levels/vulkano.xml", "data/levels/lagoon.xml"};

int specialKey(int glutKey)
{
    return InputManager::SPECIAL_KEY_BASE + glutKey;
}

}  // namespace

Game::Game() : performanceCounter(std::make_unique<PerformanceCounter>()) {}

Game::~Game() = default;

void Game::setPerformanceCounter(std::unique_ptr<PerformanceCounter> counter)
{
    performanceCounter = std::move(counter);
}

void Game::init()
{
    frameTime = 0.0;
    lastCounter = performanceCounter->counter();
    minFrameTime = 0.025;
    elapsedTime = 0.0;

    MaterialManager::instance()->loadMaterials("data/util/materials.xml");
    GamePhysic* physics = GamePhysic::instance();
    physics->SetDebugRenderer(std::make_unique<DebugRenderer>());
    physics->Init(false);
    RenderManager* renderManager = RenderManager::instance();
    renderManager->init();

    glEnable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    fpsTime = 0.0f;
    workTime = 0.0f;
    frameCount = 1;
    std::snprintf(fpsText, sizeof(fpsText), "FPS:");

    showFrameCounter = false;
    wireframe = false;
    useDisplayLists = true;
    frustumCulling = true;
    noAlphaBlending = false;
    renderManager->setNoAlphaBlending(false);
    filterIndex = TextureManager::instance()->getFilterMode();
    mipmapIndex = TextureManager::instance()->getMipmapMode();

    paused = false;
    ballLost = false;
    showHelp = false;
    renderPass = 0;

    camera = new Camera();
    camera->reset();
    light = new Light();
    light->init(LIGHT_START);
    ShaderManager::instance()->init();
    sound.start();

    levelIndex = 0;
    loadLevel(LEVEL_FILES[levelIndex]);

    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);

    particleRenderer = new ParticleRenderer();
    particleRenderer->load("data/Textures/particle.tga", PARTICLE_CAPACITY);
    ParticleFrames::defineAll(*particleRenderer);
    particleEmitter = new ParticleEmitter();
    particleEmitter->init(PARTICLE_CAPACITY);
    particleEmitter->setGroundPlane(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 0.0f));

    // The first update waits for this step.
    physics->Simulate();
    fireworksTimer = 0.0f;
}

void Game::loadLevel(const char* fileName)
{
    if (level || ball)
        return;
    level = new LevelInfo();
    LevelLoader::instance()->loadLevel(fileName, level);
    level->resetTilt();
    ball = new Ball();
    ball->create(level->startPosition, BALL_RADIUS);

    elapsedTime = 0.0;
    ballOutside = false;
    airborne = false;
    levelFinished = false;

    ShadowMapper* shadows = ShadowMapper::instance();
    shadows->init(camera, light);
    shadows->enabled = true;
    sound.setupLevel(levelIndex);
}

void Game::unloadLevel()
{
    destroyBall();
    delete level;
    level = nullptr;
    particleEmitter->clear();
    particleEmitter->init(PARTICLE_CAPACITY);
    RenderManager::instance()->removeNodes("levelNode");
    GamePhysic::instance()->ClearLevel();
    ShadowMapper::instance()->enabled = false;
}

void Game::destroyBall()
{
    if (!ball)
        return;
    ball->destroy();
    delete ball;
    ball = nullptr;
}

void Game::update()
{
    measureFrame();
    sound.update();
    GamePhysic* physics = GamePhysic::instance();
    if (!paused)
        physics->FetchResults();
    handleKeys();
    moveLight();
    if (!paused && level)
        level->updateTilt(static_cast<float>(frameTime), *camera);

    glCallList(projectionList);
    if (!InputManager::instance()->isKeyDown('v'))
        computeFrustum();
    publishEyeToBall();
    if (ball)
        ball->update(static_cast<float>(frameTime));
    RenderManager::instance()->update(static_cast<float>(frameTime));
    updateParticles();

    if (!paused) {
        physics->UpdateMovingElements(static_cast<float>(frameTime));
        physics->Simulate();
    }
    glutPostRedisplay();
}

// Frame cap: wait on the counter until the frame has lasted minFrameTime.
// Yielding keeps the wait responsive without giving up the timing.
void Game::measureFrame()
{
    counterFrequency = performanceCounter->frequency();
    std::int64_t now = performanceCounter->counter();
    frameTime = static_cast<double>(now - lastCounter) / static_cast<double>(counterFrequency);
    workTime += static_cast<float>(frameTime);
    while (frameTime <= minFrameTime) {
        std::this_thread::yield();
        now = performanceCounter->counter();
        frameTime = static_cast<double>(now - lastCounter) / static_cast<double>(counterFrequency);
    }
    elapsedTime += frameTime;
    lastCounter = now;
    frameCount += 1;
    fpsTime += static_cast<float>(frameTime);
}

// Each world's light circles on a path of its own above the level.
void Game::moveLight()
{
    const float t = static_cast<float>(elapsedTime);
    switch (levelIndex) {
    case 0: {
        const float position[4] = {80.0f * std::sin(t / 4.0f), 225.0f,
                                   std::fabs(25.0f * std::cos(t / 4.0f)) - 235.0f, 1.0f};
        light->setView(position, -15.0f, -50.0f, 0.0f, LIGHT_FIELD_OF_VIEW, 1.4f, 180.0f, 420.0f);
        break;
    }
    case 1: {
        const float position[4] = {std::fabs(25.0f * std::cos(t / 4.0f)) + 210.0f, 240.0f,
                                   75.0f * std::sin(t / 4.0f), 1.0f};
        light->setView(position, 0.0f, -40.0f, 0.0f, LIGHT_FIELD_OF_VIEW, 1.4f, 180.0f, 420.0f);
        break;
    }
    case 2: {
        const float position[4] = {160.0f * std::cos(t / 2.0f), 340.0f, 160.0f * std::sin(t / 2.0f),
                                   1.0f};
        light->setView(position, 0.0f, -30.0f, 0.0f, LIGHT_FIELD_OF_VIEW, 1.1f, 280.0f, 420.0f);
        break;
    }
    default:
        break;
    }
}

// Reads the projection the display list just loaded; the planes go to the
// render objects through the shared frame data.
void Game::computeFrustum()
{
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    FrameData::shared().frustum = extractFrustum(Matrix4(projection), camera->viewMatrix());
}

void Game::publishEyeToBall()
{
    if (!ball)
        return;
    FrameData& frame = FrameData::shared();
    const Vector3 eye = camera->eyePosition();
    const Vector3 toBall = ball->position() - eye;
    frame.eyeToBallDistance = toBall.length();
    // A ball exactly at the eye has no direction; keep the last ray then.
    if (frame.eyeToBallDistance > 0.0f)
        frame.eyeToBall = Ray(eye, toBall);
}

void Game::updateParticles()
{
    const Matrix4 levelTilt = level ? Matrix4::inverseAffine(level->tiltMatrix(*camera)) : Matrix4();
    particleEmitter->update(static_cast<float>(frameTime), static_cast<float>(elapsedTime), levelTilt);
    particleRenderer->prepare(camera->viewMatrix(), camera->eyePosition());
    particleEmitter->submit(*particleRenderer);
    particleRenderer->finish();
}

void Game::handleKeys()
{
    InputManager* input = InputManager::instance();
    if (!(input->isKeyDown(' ') && !paused))
        camera->update(static_cast<float>(frameTime));

    if (input->wasKeyPressed(specialKey(GLUT_KEY_F1)))
        showHelp = !showHelp;
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F2))) {
        showFrameCounter = !showFrameCounter;
        showMessage(showFrameCounter ? "Framecounter enabled" : "Framecounter disabled");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F6))) {
        RenderManager* renderManager = RenderManager::instance();
        renderManager->switchRenderMethod();
        static const char* const names[] = {"Rendermethod set to immediate",
                                            "Rendermethod set to vertex array",
                                            "Rendermethod set to vertex buffer"};
        showMessage(names[renderManager->getRenderMethod()]);
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F7))) {
        useDisplayLists = !useDisplayLists;
        showMessage(useDisplayLists ? "Displaylists enabled" : "Displaylists disabled");
    }
    if (input->wasKeyPressed(KEY_ESCAPE)) {
        shutdown();
        std::exit(0);
    }
}

void Game::showMessage(const char* text)
{
    std::snprintf(messageText, sizeof(messageText), "%s", text);
    messageTimer = 0.0f;
}

void Game::reshape(int w, int h)
{
    if (h == 0)
        h = 1;
    windowWidth = w;
    windowHeight = h;
    if (projectionList)
        glDeleteLists(projectionList, 1);
    glViewport(0, 0, w, h);
    projectionList = glGenLists(1);
    glNewList(projectionList, GL_COMPILE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(w) / static_cast<double>(h), 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEndList();
    HudText::instance()->reshape(w, h);
    ShadowMapper::instance()->setWindowSize(w, h);
}

void Game::display()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    // The text overlay of the last frame left depth testing off.
    glEnable(GL_DEPTH_TEST);
    renderDepthPass();

    RenderManager* renderManager = RenderManager::instance();
    const bool rememberedNoAlphaBlending = renderManager->noAlphaBlending;
    // Nothing fades while play is stopped.
    if (levelFinished || ballLost || ballOutside)
        renderManager->setNoAlphaBlending(true);
    glViewport(0, 0, windowWidth, windowHeight);
    renderPass = 2;
    FrameData& frame = FrameData::shared();
    frame.renderPass = renderPass;
    frame.viewMatrix = camera->viewMatrix();
    renderScene();
    renderManager->setNoAlphaBlending(rememberedNoAlphaBlending);
    glBindTexture(GL_TEXTURE_2D, 0);
    GamePhysic::instance()->RenderDebugView();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    if (fpsTime >= 1.0f) {
        // The second figure is the rate without the frame cap; workTime is above
        // zero once a frame has passed, the bound keeps the conversion defined.
        const float uncapped = workTime > 0.0f ? static_cast<float>(frameCount) / workTime + 1.0f : 0.0f;
        std::snprintf(fpsText, sizeof(fpsText), "FPS: %d (%d)", frameCount,
                      static_cast<int>(std::fmin(uncapped, 1.0e9f)));
        fpsTime = 0.0f;
        workTime = 0.0f;
        frameCount = 0;
    }
    // The text lies over the finished image whatever depth the scene left.
    glDisable(GL_DEPTH_TEST);
    drawText();
    glutSwapBuffers();
}

// The whole scene from the light into the shadow map: nothing fades, one
// material, no effect pass, and no culling (the light sees more than the camera).
void Game::renderDepthPass()
{
    renderPass = 1;
    FrameData& frame = FrameData::shared();
    frame.renderPass = renderPass;
    frame.viewMatrix = light->view();
    camera->apply();

    RenderManager* renderManager = RenderManager::instance();
    const bool rememberedNoAlphaBlending = renderManager->noAlphaBlending;
    renderManager->setNoAlphaBlending(true);
    renderManager->setDepthPass(true);
    frame.frustumCulling = false;

    ShadowMapper* shadows = ShadowMapper::instance();
    shadows->beginShadowPass();
    if (ball)
        ball->renderDepth(useDisplayLists);
    renderManager->render(useDisplayLists);
    shadows->endShadowPass();

    renderManager->setNoAlphaBlending(rememberedNoAlphaBlending);
    renderManager->setDepthPass(false);
    frame.frustumCulling = frustumCulling;
}

void Game::renderScene()
{
    glCallList(projectionList);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderManager* renderManager = RenderManager::instance();
    if (level)
        renderManager->renderSkyBox(camera->pitch, camera->yaw);
    camera->apply();
    light->applyPosition();

    FrameData& frame = FrameData::shared();
    frame.eyePosition = camera->eyePosition();
    const float* lightPosition = light->position();
    frame.lightPosition = Vector3(lightPosition[0], lightPosition[1], lightPosition[2]);
    ShaderManager* shader = ShaderManager::instance();
    shader->setMatrix(EFFECTPARAMETER_LIGHTVIEW, light->view().data());
    shader->setMatrix(EFFECTPARAMETER_LIGHTPROJ, light->projection().data());
    const Vector3 viewLight = Matrix4::transformPoint(camera->viewMatrix(), frame.lightPosition);
    const float viewLightPosition[3] = {viewLight.x, viewLight.y, viewLight.z};
    shader->setVector3(EFFECTPARAMETER_VIEWLIGHTPOSITION, viewLightPosition);
    shader->setTexture(EFFECTPARAMETER_SHADOWMAP, ShadowMapper::instance()->depthTexture);

    renderManager->render(useDisplayLists);
    if (ball)
        ball->render(useDisplayLists);
    renderManager->renderTransparent(useDisplayLists);
    shader->resetPass();
    particleRenderer->render();
}

void Game::drawText()
{
    HudText* hud = HudText::instance();
    hud->begin();
    if (showFrameCounter)
        hud->print(fpsText, FONT, 10, 20, YELLOW[0], YELLOW[1], YELLOW[2]);
    if (messageTimer < 2.0f) {
        messageTimer += static_cast<float>(frameTime);
        hud->print(messageText, FONT, 10, 140, messageTimer, 1.0f, messageTimer);
    }
    if (showHelp) {
        hud->print("Mouse: rotate camera", FONT, 10, 60, YELLOW[0], YELLOW[1], YELLOW[2]);
        hud->print("Mouse + left mouse button: change view distance", FONT, 10, 80, YELLOW[0],
                   YELLOW[1], YELLOW[2]);
        hud->print("Mouse + space: rotate level", FONT, 10, 100, YELLOW[0], YELLOW[1], YELLOW[2]);
        hud->print("F2 - F7: settings", FONT, 10, 120, YELLOW[0], YELLOW[1], YELLOW[2]);
    }
    hud->end();
}

void Game::shutdown()
{
    ShaderManager::instance()->shutdown();
    destroyBall();
    delete camera;
    camera = nullptr;
    delete light;
    light = nullptr;
    delete level;
    level = nullptr;
    particleEmitter->clear();
    delete particleEmitter;
    particleEmitter = nullptr;
    particleRenderer->release();
    delete particleRenderer;
    particleRenderer = nullptr;
    sound.shutdown();
}
