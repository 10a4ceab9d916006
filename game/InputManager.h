#pragma once

#include "app/Singleton.h"
#include "game/MouseDelta.h"
#include "platform/PadState.h"

#include <memory>

class CursorDevice;

// Key, button and mouse state between the window system and the game. The GLUT
// callbacks only record; the game polls once per frame.
class InputManager : public Singleton<InputManager> {
    friend class Singleton<InputManager>;

public:
    static constexpr int KEY_COUNT = 512;
    // Special keys live at this base plus their GLUT code: F1 is 257.
    static constexpr int SPECIAL_KEY_BASE = 256;

    ~InputManager() override;

    void keyDown(const unsigned char& key, const int& x, const int& y);
    void keyUp(const unsigned char& key, const int& x, const int& y);
    void specialDown(const int& key, const int& x, const int& y);
    void specialUp(const int& key, const int& x, const int& y);
    void mouseButton(const int& button, const int& state, const int& x, const int& y);

    bool isKeyDown(const int& key) const;
    // Reports every press once, even one released again before the query (the
    // game polls once a frame); the query clears the press and the key's state.
    bool wasKeyPressed(const int& key);
    bool isMouseButtonDown(const int& button) const;
    // Movement since the previous call; the cursor jumps to the opposite edge of
    // its wrap area (the focused window, else the screen) when it reaches or
    // passes one, so the hidden mouse can move without limit.
    void getMouseDelta(MouseDelta& delta);

    // This frame's controller: A and Start press Enter (pause, next level), B
    // presses 'r', each as its key would; the sticks are read by the tilt and the camera.
    void setPadState(const PadState& state);
    const PadState& padState() const { return pad; }
    // The window system's word, once a frame, whether the window has the focus
    // and is shown.
    void setWindowActive(bool active);
    // True once after the window lost the focus or was hidden.
    bool wasDeactivated();

    // Replaces the operating-system cursor (tests feed their own). Takes ownership.
    void setCursorDevice(std::unique_ptr<CursorDevice> device);

private:
    InputManager();

    bool keys[KEY_COUNT] = {};
    bool presses[KEY_COUNT] = {};  // latched by keyDown until wasKeyPressed reports them
    bool mouseButtons[3] = {};
    int lastCursorX = 0;
    int lastCursorY = 0;
    std::unique_ptr<CursorDevice> cursor;
    PadState pad;
    bool windowActive = true;
    bool deactivated = false;
};
