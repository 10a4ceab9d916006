#include "platform/X11Window.h"

#include <X11/Xlib.h>

X11Window::X11Window(unsigned long window_) : display(XOpenDisplay(nullptr)), window(window_) {}

X11Window::~X11Window()
{
    if (display)
        XCloseDisplay(display);
}

bool X11Window::active()
{
    if (!display || !window)
        return true;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return true;
    if (attributes.map_state != IsViewable)
        return false;
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    return focus == window || focus == PointerRoot;
}

bool X11Window::area(int& left, int& top, int& width, int& height)
{
    if (!display || !window)
        return false;
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth))
        return false;
    // The position XGetGeometry gives is relative to a window manager's frame.
    if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
        return false;
    left = x;
    top = y;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}
