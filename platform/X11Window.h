#pragma once

struct _XDisplay;

// The game's top-level window as the X server sees it, through a connection of
// its own (GLUT does not tell about focus).
class X11Window {
public:
    explicit X11Window(unsigned long window);
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Shown and holding the keyboard focus, or shown while the focus follows the
    // pointer. True when the server cannot be asked: never pause on a guess.
    bool active();
    // The window's inside in screen coordinates; false when it cannot be read.
    bool area(int& left, int& top, int& width, int& height);

private:
    _XDisplay* display;
    unsigned long window;
};
