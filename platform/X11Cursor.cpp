#include "platform/X11Cursor.h"

#include <X11/Xlib.h>

X11Cursor::X11Cursor() : display(XOpenDisplay(nullptr)) {}

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
