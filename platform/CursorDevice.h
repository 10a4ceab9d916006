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
};
