#include "game/InputManager.h"

#include "platform/X11Cursor.h"

#include <GL/freeglut_std.h>

InputManager::InputManager() = default;
InputManager::~InputManager() = default;

void InputManager::keyDown(const unsigned char& key, const int&, const int&)
{
    keys[key] = true;
}

void InputManager::keyUp(const unsigned char& key, const int&, const int&)
{
    keys[key] = false;
}

void InputManager::specialDown(const int& key, const int&, const int&)
{
    if (key >= 0 && key < KEY_COUNT - SPECIAL_KEY_BASE)
        keys[SPECIAL_KEY_BASE + key] = true;
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
    if (!isKeyDown(key))
        return false;
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

    const int width = cursor->screenWidth();
    const int height = cursor->screenHeight();
    const int oldX = x, oldY = y;
    if (x == 0) x = width - 2;
    if (x == width - 1) x = 1;
    if (y == 0) y = height - 2;
    if (y == height - 1) y = 1;
    if (x != oldX || y != oldY)
        cursor->warp(x, y);

    lastCursorX = x;
    lastCursorY = y;
}

void InputManager::setCursorDevice(std::unique_ptr<CursorDevice> device)
{
    cursor = std::move(device);
}
