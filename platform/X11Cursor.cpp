#include "platform/X11Cursor.h"

#include "platform/X11Window.h"

#include <X11/Xlib.h>

#include <algorithm>

X11Cursor::X11Cursor(X11Window* window_) : display(XOpenDisplay(nullptr)), window(window_) {}

X11Cursor::~X11Cursor()
{
    if (display)
        XCloseDisplay(display);
}

bool X11Cursor::position(int& x, int& y)
{
    if (!display)
        return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY,
                       &windowX, &windowY, &mask))
        return false;
    x = rootX;
    y = rootY;
    return true;
}

void X11Cursor::warp(int x, int y)
{
    if (!display)
        return;
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XFlush(display);
}

int X11Cursor::screenWidth()
{
    return display ? DisplayWidth(display, DefaultScreen(display)) : 0;
}

int X11Cursor::screenHeight()
{
    return display ? DisplayHeight(display, DefaultScreen(display)) : 0;
}

bool X11Cursor::wrapArea(int& left, int& top, int& width, int& height)
{
    if (!window)
        return CursorDevice::wrapArea(left, top, width, height);
    if (!window->active() || !window->area(left, top, width, height))
        return false;
    // The part on the screen: the cursor cannot reach an edge beyond it.
    const int right = std::min(left + width, screenWidth());
    const int bottom = std::min(top + height, screenHeight());
    left = std::max(left, 0);
    top = std::max(top, 0);
    width = right - left;
    height = bottom - top;
    return width > 0 && height > 0;
}
