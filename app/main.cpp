#include "app/Config.h"
#include "app/DataPaths.h"
#include "app/Report.h"
#include "game/Game.h"
#include "game/InputManager.h"
#include "platform/DriverTuning.h"
#include "platform/GamePad.h"
#include "platform/X11Cursor.h"
#include "platform/X11Window.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glx.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

bool gameModeActive = false;
X11Window* gameWindow = nullptr;
GamePad* gamePad = nullptr;

// F11: the window fills the screen, or returns to where it was; game mode has
// no window to return to. The window manager is asked for full screen, and the
// window is also placed over the screen itself, for a display without one.
void toggleFullScreen()
{
    static bool fullScreen = false;
    static int windowed[4] = {50, 50, 640, 480};  // x, y, width, height
    if (gameModeActive)
        return;
    fullScreen = !fullScreen;
    if (fullScreen) {
        windowed[0] = glutGet(GLUT_WINDOW_X);
        windowed[1] = glutGet(GLUT_WINDOW_Y);
        windowed[2] = glutGet(GLUT_WINDOW_WIDTH);
        windowed[3] = glutGet(GLUT_WINDOW_HEIGHT);
        glutFullScreen();
        glutPositionWindow(0, 0);
        glutReshapeWindow(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
    } else {
        glutLeaveFullScreen();
        glutPositionWindow(windowed[0], windowed[1]);
        glutReshapeWindow(windowed[2], windowed[3]);
    }
}

// What the window system and the controller did since the last frame goes to
// the input state before the game's step reads it.
void idle()
{
    InputManager* input = InputManager::instance();
    input->setWindowActive(gameWindow->active());
    input->setPadState(gamePad->read());
    if (input->wasKeyPressed(InputManager::SPECIAL_KEY_BASE + GLUT_KEY_F11))
        toggleFullScreen();
    Game::instance()->update();
}

void display() { Game::instance()->display(); }
void reshape(int w, int h) { Game::instance()->reshape(w, h); }
void keyboard(unsigned char key, int x, int y) { InputManager::instance()->keyDown(key, x, y); }
void keyboardUp(unsigned char key, int x, int y) { InputManager::instance()->keyUp(key, x, y); }
void special(int key, int x, int y) { InputManager::instance()->specialDown(key, x, y); }
void specialUp(int key, int x, int y) { InputManager::instance()->specialUp(key, x, y); }
void mouse(int button, int state, int x, int y)
{
    InputManager::instance()->mouseButton(button, state, x, y);
}

void desktopSize(int& width, int& height)
{
    width = glutGet(GLUT_SCREEN_WIDTH);
    height = glutGet(GLUT_SCREEN_HEIGHT);
}

// Leaves game mode on exit. freeglut ends the process with an error of its own
// when called after it has shut down (the window was closed), so ask first.
void leaveGameMode()
{
    if (Config::instance()->fullScreen && gameModeActive && glutGet(GLUT_INIT_STATE))
        glutLeaveGameMode();
}

void openWindow(const Config& config)
{
    glutInitWindowSize(config.screenWidth, config.screenHeight);
    glutCreateWindow(config.windowName.c_str());
    glutPositionWindow(50, 50);
}

// Game mode needs a display that can change its mode; where it cannot (a virtual
// server, some drivers) freeglut returns without a window, and a window of the
// requested size takes its place.
void enterGameMode(const Config& config)
{
    char mode[64];
    std::snprintf(mode, sizeof(mode), "%dx%d:%d@%d", config.screenWidth, config.screenHeight,
                  config.bitsPerPixel, config.refreshRate);
    glutGameModeString(mode);
    if (glutEnterGameMode() != 0 && glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) {
        gameModeActive = true;
        return;
    }
    report("Full-screen mode %s is not available; using a window instead\n", mode);
    openWindow(config);
}

bool extensionsSupported()
{
    return glBindBufferARB && glDeleteBuffersARB && glGenBuffersARB && glIsBufferARB &&
           glBufferDataARB && glBufferSubDataARB && glGetBufferSubDataARB && glMapBufferARB &&
           glUnmapBufferARB && glGetBufferParameterivARB && glGetBufferPointervARB &&
           glBindFramebufferEXT && glGenFramebuffersEXT && glFramebufferTexture2DEXT &&
           glCheckFramebufferStatusEXT;
}

}  // namespace

int main(int argc, char** argv)
{
    // Diagnostic lines reach a pipe at once, not when a buffer fills.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    DriverTuning::apply();
    glutInit(&argc, argv);
    DataPaths* paths = DataPaths::instance();
    std::error_code error;
    paths->locate(std::filesystem::read_symlink("/proc/self/exe", error).string());
    Config* config = Config::instance();
    config->desktopSize = desktopSize;
    config->load(paths->configFile().c_str());
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);

    if (config->fullScreen)
        enterGameMode(*config);
    else
        openWindow(*config);

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glutKeyboardUpFunc(keyboardUp);
    glutSpecialFunc(special);
    glutSpecialUpFunc(specialUp);
    glutMouseFunc(mouse);
    glutSetCursor(GLUT_CURSOR_NONE);
    std::atexit(leaveGameMode);
    // GLUT made its window's context current: its drawable is the X window.
    gameWindow = new X11Window(glXGetCurrentDrawable());
    InputManager::instance()->setCursorDevice(std::make_unique<X11Cursor>(gameWindow));
    gamePad = new GamePad();

    glewInit();
    if (!extensionsSupported())
        report("Not all extensions are supported!\n");

    paths->enterDataRoot();
    Game::instance()->init();
    glutMainLoop();
    return 0;
}
