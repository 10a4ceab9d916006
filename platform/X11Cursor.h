#pragma once

#include "platform/CursorDevice.h"

class X11Window;
struct _XDisplay;

// The cursor on the X server's default screen, read and moved on the root
// window through a connection of its own. Given the game's window, it is kept
// in that window while the window is active and left free while it is not.
class X11Cursor : public CursorDevice {
public:
    explicit X11Cursor(X11Window* window = nullptr);
    ~X11Cursor() override;
    X11Cursor(const X11Cursor&) = delete;
    X11Cursor& operator=(const X11Cursor&) = delete;

    bool position(int& x, int& y) override;
    void warp(int x, int y) override;
    int screenWidth() override;
    int screenHeight() override;
    bool wrapArea(int& left, int& top, int& width, int& height) override;

private:
    _XDisplay* display;
    X11Window* window;  // not owned
};
