#include "game/Game.h"

#include "effects/ShaderManager.h"
#include "game/HudText.h"
#include "game/InputManager.h"
#include "level/MaterialManager.h"
#include "level/TextureManager.h"
#include "physics/DebugRenderer.h"
#include "physics/GamePhysic.h"
#include "platform/PerformanceCounter.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int FONT = 1;  // 9x15, used for every line
constexpr float YELLOW[3] = {1.0f, 1.0f, 0.0f};

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
    filterIndex = TextureManager::instance()->getFilterMode();
    mipmapIndex = TextureManager::instance()->getMipmapMode();

    paused = false;
    ballLost = false;
    showHelp = false;
    renderPass = 0;

    ShaderManager::instance()->init();
    sound.start();

    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);

    // The first update waits for this step.
    physics->Simulate();
    fireworksTimer = 0.0f;
}

void Game::update()
{
    // Frame cap: wait on the counter until the frame has lasted minFrameTime.
    // Yielding keeps the wait responsive without giving up the timing.
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

    sound.update();
    if (!paused)
        GamePhysic::instance()->FetchResults();
    handleKeys();
    if (!paused) {
        GamePhysic::instance()->UpdateMovingElements(static_cast<float>(frameTime));
        GamePhysic::instance()->Simulate();
    }
    glutPostRedisplay();
}

void Game::handleKeys()
{
    InputManager* input = InputManager::instance();
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F1)))
        showHelp = !showHelp;
    if (input->wasKeyPressed(specialKey(GLUT_KEY_F2))) {
        showFrameCounter = !showFrameCounter;
        std::snprintf(messageText, sizeof(messageText),
                      showFrameCounter ? "Framecounter enabled" : "Framecounter disabled");
        messageTimer = 0.0f;
    }
    if (input->wasKeyPressed(27)) {
        shutdown();
        std::exit(0);
    }
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
}

void Game::display()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

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
    drawText();
    glutSwapBuffers();
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
    sound.shutdown();
}
