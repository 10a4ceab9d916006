#pragma once

// The operating system's mouse cursor in absolute screen coordinates, and the
// screen size. Virtual so tests can feed positions of their own.
class CursorDevice {
public:
    virtual ~CursorDevice() = default;
    // False when the position cannot be read; x and y are then unchanged.
    virtual bool position(int& x, int& y) = 0;
    virtual void warp(int x, int y) = 0;
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    // The rectangle, in screen coordinates, that the hidden cursor is kept in:
    // the whole screen unless the device knows better. False: the cursor roams free.
    virtual bool wrapArea(int& left, int& top, int& width, int& height)
    {
        left = top = 0;
        width = screenWidth();
        height = screenHeight();
        return true;
    }
};
