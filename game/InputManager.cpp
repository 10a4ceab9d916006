#include "game/InputManager.h"

#include "platform/X11Cursor.h"

#include <GL/freeglut_std.h>

InputManager::InputManager() = default;
InputManager::~InputManager() = default;

void InputManager::keyDown(const unsigned char& key, const int&, const int&)
{
    keys[key] = true;
    presses[key] = true;
}

void InputManager::keyUp(const unsigned char& key, const int&, const int&)
{
    keys[key] = false;
}

void InputManager::specialDown(const int& key, const int&, const int&)
{
    if (key >= 0 && key < KEY_COUNT - SPECIAL_KEY_BASE) {
        keys[SPECIAL_KEY_BASE + key] = true;
        presses[SPECIAL_KEY_BASE + key] = true;
    }
}

void InputManager::specialUp(const int& key, const int&, const int&)
{
    if (key >= 0 && key < KEY_COUNT - SPECIAL_KEY_BASE)
        keys[SPECIAL_KEY_BASE + key] = false;
}

void InputManager::mouseButton(const int& button, const int& state, const int&, const int&)
{
    if (button >= 0 && button < 3)
        mouseButtons[button] = (state == GLUT_DOWN);
}

bool InputManager::isKeyDown(const int& key) const
{
    return key >= 0 && key < KEY_COUNT && keys[key];
}

bool InputManager::wasKeyPressed(const int& key)
{
    if (key < 0 || key >= KEY_COUNT || !presses[key])
        return false;
    presses[key] = false;
    keys[key] = false;
    return true;
}

bool InputManager::isMouseButtonDown(const int& button) const
{
    return button >= 0 && button < 3 && mouseButtons[button];
}

void InputManager::getMouseDelta(MouseDelta& delta)
{
    if (!cursor)
        cursor = std::make_unique<X11Cursor>();
    int x = lastCursorX, y = lastCursorY;
    if (!cursor->position(x, y)) {
        delta = MouseDelta();
        return;
    }
    delta.x = x - lastCursorX;
    delta.y = y - lastCursorY;

    // A cursor past an edge (a window's edge can be jumped over between two
    // frames; the screen's cannot) wraps like one on it.
    int left = 0, top = 0, width = 0, height = 0;
    if (cursor->wrapArea(left, top, width, height) && width > 2 && height > 2) {
        const int right = left + width - 1, bottom = top + height - 1;
        const int oldX = x, oldY = y;
        if (x <= left) x = right - 1;
        else if (x >= right) x = left + 1;
        if (y <= top) y = bottom - 1;
        else if (y >= bottom) y = top + 1;
        if (x != oldX || y != oldY)
            cursor->warp(x, y);
    }

    lastCursorX = x;
    lastCursorY = y;
}

void InputManager::setPadState(const PadState& state)
{
    // Each button goes through the key handlers, as its key would.
    const bool before[] = {pad.a, pad.b, pad.start};
    const bool now[] = {state.a, state.b, state.start};
    const unsigned char keyOf[] = {'\r', 'r', '\r'};
    const int none = 0;
    for (int i = 0; i < 3; ++i) {
        if (now[i] && !before[i])
            keyDown(keyOf[i], none, none);
        else if (!now[i] && before[i])
            keyUp(keyOf[i], none, none);
    }
    pad = state;
}

void InputManager::setWindowActive(bool active)
{
    if (windowActive && !active)
        deactivated = true;
    windowActive = active;
}

bool InputManager::wasDeactivated()
{
    const bool result = deactivated;
    deactivated = false;
    return result;
}

void InputManager::setCursorDevice(std::unique_ptr<CursorDevice> device)
{
    cursor = std::move(device);
}
