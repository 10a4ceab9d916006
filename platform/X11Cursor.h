#pragma once

#include "platform/CursorDevice.h"

struct _XDisplay;

// The cursor on the X server's default screen, read and moved on the root
// window through a connection of its own.
class X11Cursor : public CursorDevice {
public:
    X11Cursor();
    ~X11Cursor() override;
    X11Cursor(const X11Cursor&) = delete;
    X11Cursor& operator=(const X11Cursor&) = delete;

    bool position(int& x, int& y) override;
    void warp(int x, int y) override;
    int screenWidth() override;
    int screenHeight() override;

private:
    _XDisplay* display;
};
