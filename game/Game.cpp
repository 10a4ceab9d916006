#include "game/Game.h"

#include "app/Report.h"
#include "effects/EffectParameter.h"
#include "effects/ParticleEmitter.h"
#include "effects/ParticleFrames.h"
#include "effects/ParticleRenderer.h"
#include "effects/ShaderManager.h"
#include "effects/ShadowMapper.h"
#include "game/GameWorld.h"
#include "game/HudText.h"
#include "game/InputManager.h"
#include "game/LevelInfo.h"
#include "game/ParticleEffects.h"
#include "level/LevelLoader.h"
#include "level/MaterialManager.h"
#include "level/TextureManager.h"
#include "math/Random.h"
#include "physics/DebugRenderer.h"
#include "physics/GamePhysic.h"
#include "render/Ball.h"
#include "render/Camera.h"
#include "render/FrameData.h"
#include "render/Light.h"
#include "render/RenderManager.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int KEY_ESCAPE = 27;
constexpr int KEY_ENTER = 13;
constexpr int KEY_BACKSPACE = 8;
constexpr float LIGHT_START[4] = {276.0f, 300.0f, 36.0f, 1.0f};
constexpr float LIGHT_FIELD_OF_VIEW = 40.0f;  // degrees, vertical

int specialKey(int glutKey)
{
    return InputManager::SPECIAL_KEY_BASE + glutKey;
}

}  // namespace

Game::Game()
    : ballWatch(GamePhysic::NO_HIT_DISTANCE)
{
}

Game::~Game() = default;

void Game::init()
{
    clock.start();

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
    loadLevel(GAME_WORLDS[levelIndex].levelFile);

    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glow.resize(windowWidth, windowHeight);

    particleRenderer = new ParticleRenderer();
    particleRenderer->load("data/Textures/particle.tga", PARTICLE_CAPACITY);
    ParticleFrames::defineAll(*particleRenderer);
    particleEmitter = new ParticleEmitter();
    particleEmitter->init(PARTICLE_CAPACITY);
    particleEmitter->setGroundPlane(Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 0.0f));
    particleEffects = new ParticleEffects(*particleEmitter);

    // The first update waits for this step.
    physics->Simulate();
    fireworksTimer = 0.0f;
}

void Game::loadLevel(const char* fileName)
{
    if (level || ball)
        return;
    level = new LevelInfo();
    times.startLevel(fileName);
    // A level that cannot be read, or lacks its start or target, says so on the
    // console and on screen and cannot be finished; End still skips it.
    const int levelId = LevelLoader::instance()->loadLevel(fileName, level);
    statusText.showLevelState(fileName, levelId != 0, level->playable);
    level->resetTilt();
    ball = new Ball();
    ball->create(level->startPosition, BALL_RADIUS);
    RenderManager::instance()->useSceneMaterials(Ball::MATERIAL);

    clock.elapsedTime = 0.0;
    ballOutside = false;
    ballWatch.restart(std::fmin(level->startPosition.y, level->targetPosition.y));
    levelFinished = false;

    ShadowMapper* shadows = ShadowMapper::instance();
    shadows->init(camera, light);
    shadows->enabled = true;
    sound.setupLevel(GAME_WORLDS[levelIndex].music);
    report("Level loaded: %s\n", fileName);
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
    clock.measure();
    passTimer.begin();
    sound.update();
    GamePhysic* physics = GamePhysic::instance();
    if (!paused)
        physics->FetchResults();
    handleKeys();
    moveLight();
    if (!paused && level) {
        times.advance(clock.frameTime);
        level->updateTilt(static_cast<float>(clock.frameTime), *camera);
        if (ball)
            checkBall();
    }
    emitLevelParticles();

    glCallList(projectionList);
    if (!InputManager::instance()->isKeyDown('v'))
        computeFrustum();
    publishEyeToBall();
    if (ball)
        ball->update(static_cast<float>(clock.frameTime));
    RenderManager::instance()->update(static_cast<float>(clock.frameTime));
    updateParticles();

    if (!paused) {
        physics->UpdateMovingElements(static_cast<float>(clock.frameTime));
        physics->Simulate();
    }
    passTimer.mark(PassTimer::UPDATE);
    glutPostRedisplay();
}

// Each world's light circles on a path of its own above the level.
void Game::moveLight()
{
    const GameWorld& world = GAME_WORLDS[levelIndex];
    const Vector3 p = world.lightPosition(static_cast<float>(clock.elapsedTime));
    const float position[4] = {p.x, p.y, p.z, 1.0f};
    light->setView(position, world.lightTarget.x, world.lightTarget.y, world.lightTarget.z,
                   LIGHT_FIELD_OF_VIEW, world.lightAspect, world.lightNear, world.lightFar);
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

// The ball checks of a running frame: the watch's verdict on the ball's height
// and the target, acted on here; a rolling ball leaves a trail.
void Game::checkBall()
{
    GamePhysic* physics = GamePhysic::instance();
    const Vector3 position = ball->position();
    const BallWatch::Verdict verdict = ballWatch.check(level->heightInLevel(position), ball->heightAboveGround(),
                                                       !levelFinished && level->playable && level->isTargetReached(position));
    if (verdict.tracking == BallWatch::TRACKING_RESET)
        report("reset\n");
    else if (verdict.tracking == BallWatch::TRACKING_REDUCING)
        report("reducing\n");

    switch (verdict.event) {
    case BallWatch::EVENT_JUMPED:
        loseBall(position);
        report("Ball jumped to high! Press 'r' to reset ball\n");
        paused = true;
        ballLost = true;
        break;
    case BallWatch::EVENT_FELL_OUT:
        loseBall(position);
        ballOutside = true;
        paused = true;
        ballLost = true;
        break;
    case BallWatch::EVENT_TARGET_REACHED:
        finishLevel(position);
        report("Target reached!\n");
        break;
    case BallWatch::EVENT_AIRBORNE:
        break;
    case BallWatch::EVENT_NONE: {
        const Vector3 velocity = physics->GetActorVelocity(ball->getActorId());
        if (std::sqrt(velocity.x * velocity.x + velocity.z * velocity.z) > TRAIL_SPEED)
            particleEffects->trail(position, velocity, static_cast<float>(clock.elapsedTime));
        break;
    }
    }
}

// What every loss does: the ball vanishes in a burst with its sound, and the level
// is levelled again at once.
void Game::loseBall(const Vector3& position)
{
    ball->visible = false;
    sound.playEffect(GameSound::EFFECT_BALL_LOST);
    particleEffects->lossBurst(position);
    level->resetTilt();
    GamePhysic::instance()->Simulate();
    GamePhysic::instance()->FetchResults();
}

// The target reached, or the End key: the ball vanishes in a burst of light, the
// camera circles the level and play stops until Enter.
void Game::finishLevel(const Vector3& ballPosition)
{
    ball->visible = false;
    particleEffects->targetBurst(ballPosition);
    camera->mode = Camera::MODE_AUTOMATIC;
    paused = true;
    levelFinished = true;
    fireworksTimer = 0.0f;
    sound.playEffect(GameSound::EFFECT_END_LEVEL);
    times.finish();
}

// The world's weather and the target marker every frame, paused or not, and
// fireworks over a finished world that has them.
void Game::emitLevelParticles()
{
    const GameWorld& world = GAME_WORLDS[levelIndex];
    particleEffects->levelParticles(world.weather);
    if (level) {
        particleEffects->targetMarker(world.markerColour, level->targetPosition,
                                      GamePhysic::instance()->GetActorPose(level->actorId));
    }
    if (levelFinished && world.fireworks) {
        fireworksTimer += static_cast<float>(clock.frameTime);
        if (fireworksTimer > 0.3f + 0.2f * Random::unit()) {
            particleEffects->firework();
            fireworksTimer = 0.0f;
        }
    }
}

void Game::updateParticles()
{
    const Matrix4 levelTilt = level ? Matrix4::inverseAffine(level->tiltMatrix(*camera)) : Matrix4();
    particleEmitter->update(static_cast<float>(clock.frameTime), static_cast<float>(clock.elapsedTime), levelTilt);
    particleRenderer->prepare(camera->viewMatrix(), camera->eyePosition());
    particleEmitter->submit(*particleRenderer);
    particleRenderer->finish();
}

void Game::handleKeys()
{
    InputManager* input = InputManager::instance();
    // While space is held in play the mouse tilts the level instead.
    if (!(input->isKeyDown(' ') && !paused))
        camera->update(static_cast<float>(clock.frameTime));

    handleSettingKeys();
    if (input->wasKeyPressed(KEY_ENTER) && !ballLost) {
        paused = !paused;
        if (levelFinished)
            nextLevel();
    }
    if (input->wasKeyPressed('r') && ballLost)
        resetBall();
    if (input->wasKeyPressed(specialKey(GLUT_KEY_END)) && ball) {
        times.cancel();
        finishLevel(ball->position());
        ballLost = false;
        ballOutside = false;
    }
    if (input->wasKeyPressed(KEY_BACKSPACE))
        startLevel(levelIndex);
    if (input->wasKeyPressed(specialKey(GLUT_KEY_HOME)))
        camera->reset();
    if (input->wasDeactivated())
        paused = true;
    if (input->wasKeyPressed(KEY_ESCAPE)) {
        shutdown();
        std::exit(0);
    }
}

// F1 to F9: help, frame counter and the render settings, each with a confirmation.
void Game::handleSettingKeys()
{
    InputManager* input = InputManager::instance();
    RenderManager* renderManager = RenderManager::instance();
    TextureManager* textures = TextureManager::instance();
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F1)))
        showHelp = !showHelp;
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F2))) {
        showFrameCounter = !showFrameCounter;
        showMessage(showFrameCounter ? "Framecounter enabled" : "Framecounter disabled");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F3))) {
        wireframe = !wireframe;
        glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
        showMessage(wireframe ? "Wireframe enabled" : "Wireframe disabled");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F4))) {
        filterIndex = filterIndex + 1 > 1 ? 0 : filterIndex + 1;
        textures->setFilterMode(filterIndex == 0 ? 1 : 2);
        showMessage(filterIndex == 0 ? "Filtermethod set to nearest" : "Filtermethod set to linear");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F5))) {
        mipmapIndex = mipmapIndex + 1 > 2 ? 0 : mipmapIndex + 1;
        textures->setMipmapMode(mipmapIndex);
        static const char* const mipmapping[] = {"MipMapping disabled", "MipMapping set to nearest",
                                                 "MipMapping set to linear"};
        showMessage(mipmapping[mipmapIndex]);
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F6))) {
        renderManager->switchRenderMethod();
        static const char* const methods[] = {"Rendermethod set to immediate",
                                              "Rendermethod set to vertex array",
                                              "Rendermethod set to vertex buffer"};
        showMessage(methods[renderManager->getRenderMethod()]);
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F7))) {
        useDisplayLists = !useDisplayLists;
        showMessage(useDisplayLists ? "Displaylists enabled" : "Displaylists disabled");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F8))) {
        frustumCulling = !frustumCulling;
        FrameData::shared().frustumCulling = frustumCulling;
        report("View Frustum Culling: %d\n", frustumCulling ? 1 : 0);
        showMessage(frustumCulling ? "Frustum culling enabled" : "Frustum culling disabled");
    }
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F9))) {
        noAlphaBlending = !noAlphaBlending;
        renderManager->setNoAlphaBlending(noAlphaBlending);
        showMessage(noAlphaBlending ? "Alpha blending disabled" : "Alpha blending enabled");
    }
}

// Enter after a finished level: the next world's level, from the start.
void Game::nextLevel()
{
    startLevel((levelIndex + 1) % GAME_WORLD_COUNT);
}

void Game::startLevel(int index)
{
    unloadLevel();
    levelIndex = index;
    loadLevel(GAME_WORLDS[levelIndex].levelFile);
    camera->mode = Camera::MODE_USER;
    camera->reset();
    paused = ballLost = false;
}

// 'r' after a lost ball: a new ball at the start; the tilt was reset on the loss.
void Game::resetBall()
{
    destroyBall();
    ball = new Ball();
    ball->create(level->startPosition, BALL_RADIUS);
    RenderManager::instance()->useSceneMaterials(Ball::MATERIAL);
    ballOutside = false;
    paused = false;
    ballLost = false;
}

void Game::showMessage(const char* text)
{
    statusText.showMessage(text);
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
    glow.resize(w, h);
}

void Game::display()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    // The glow pass of the last frame left depth testing off.
    glEnable(GL_DEPTH_TEST);
    passTimer.begin();
    renderDepthPass();
    passTimer.mark(PassTimer::SHADOW);

    // The scene into the glow pass's square target; nothing fades while play is stopped.
    RenderManager* renderManager = RenderManager::instance();
    const bool rememberedNoAlphaBlending = renderManager->noAlphaBlending;
    glow.bindSceneTarget();
    if (levelFinished || ballLost || ballOutside)
        renderManager->setNoAlphaBlending(true);
    renderPass = 2;
    FrameData& frame = FrameData::shared();
    frame.renderPass = renderPass;
    frame.viewMatrix = camera->viewMatrix();
    renderScene();
    renderManager->setNoAlphaBlending(rememberedNoAlphaBlending);
    glBindTexture(GL_TEXTURE_2D, 0);
    GamePhysic::instance()->RenderDebugView();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    passTimer.mark(PassTimer::OVERLAY);

    // The glow pass and the text are never drawn in wireframe.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glow.render(InputManager::instance()->wasKeyPressed('g'));
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    passTimer.mark(PassTimer::GLOW);

    clock.updateCounterText();
    drawText();
    if (InputManager::instance()->wasKeyPressed(specialKey(GLUT_KEY_F12)))
        showMessage(screenshots.capture(windowWidth, windowHeight).c_str());
    passTimer.mark(PassTimer::OVERLAY);
    glutSwapBuffers();
    passTimer.mark(PassTimer::SWAP);
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
    shader->resetPass();
    // The sky only where the opaque objects left the view free; blended objects
    // go over it.
    if (level)
        renderManager->renderSkyBox(camera->pitch, camera->yaw);
    renderManager->renderTransparent(useDisplayLists);
    shader->resetPass();
    passTimer.mark(PassTimer::SCENE);
    particleRenderer->render();
}

void Game::drawText()
{
    HudText::instance()->begin();
    statusText.draw(static_cast<float>(clock.frameTime), {showFrameCounter ? clock.fpsText : nullptr, showHelp,
                                                          ballOutside, ballLost, levelFinished, paused});
    times.draw(windowWidth);
    HudText::instance()->end();
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
    delete particleEffects;
    particleEffects = nullptr;
    delete particleEmitter;
    particleEmitter = nullptr;
    particleRenderer->release();
    delete particleRenderer;
    particleRenderer = nullptr;
    sound.shutdown();
}
