#pragma once

#include "platform/CursorDevice.h"

#include <utility>
#include <vector>

// A cursor the test moves by hand on a screen of the size it chooses; records
// every warp the code under test asks for.
class FakeCursor : public CursorDevice {
public:
    FakeCursor(int screenWidth = 100000, int screenHeight = 100000, int startX = 50000,
               int startY = 50000)
        : x(startX), y(startY), width(screenWidth), height(screenHeight)
    {
    }

    int x;
    int y;
    bool readable = true;
    std::vector<std::pair<int, int>> warps;

    bool position(int& outX, int& outY) override
    {
        if (!readable)
            return false;
        outX = x;
        outY = y;
        return true;
    }
    void warp(int newX, int newY) override
    {
        x = newX;
        y = newY;
        warps.emplace_back(newX, newY);
    }
    int screenWidth() override { return width; }
    int screenHeight() override { return height; }

private:
    int width;
    int height;
};
