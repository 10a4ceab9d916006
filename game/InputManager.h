#pragma once

#include "app/Singleton.h"
#include "game/MouseDelta.h"

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
    // Reports a press once: the entry is cleared by the query.
    bool wasKeyPressed(const int& key);
    bool isMouseButtonDown(const int& button) const;
    // Movement since the previous call; the cursor jumps to the opposite screen
    // edge when it reaches one, so the hidden mouse can move without limit.
    void getMouseDelta(MouseDelta& delta);

    // Replaces the operating-system cursor (tests feed their own). Takes ownership.
    void setCursorDevice(std::unique_ptr<CursorDevice> device);

private:
    InputManager();

    bool keys[KEY_COUNT] = {};
    bool mouseButtons[3] = {};
    int lastCursorX = 0;
    int lastCursorY = 0;
    std::unique_ptr<CursorDevice> cursor;
};
