#pragma once

#include "game/InputManager.h"
#include "platform/CursorDevice.h"

#include <memory>
#include <utility>
#include <vector>

// A cursor the test moves by hand on a screen of the size it chooses; records
// every warp the code under test asks for.
class FakeCursor : public CursorDevice {
public:
    FakeCursor(int screenWidth = 100000, int screenHeight = 100000, int startX = 50000, int startY = 50000)
        : x(startX), y(startY), width(screenWidth), height(screenHeight) {}

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
    // A window to wrap in instead of the screen ({left, top, width, height});
    // width 0: the cursor roams free.
    void keepIn(int left, int top, int areaWidth, int areaHeight)
    {
        area[0] = left, area[1] = top, area[2] = areaWidth, area[3] = areaHeight;
        inWindow = true;
    }
    bool wrapArea(int& left, int& top, int& areaWidth, int& areaHeight) override
    {
        if (!inWindow)
            return CursorDevice::wrapArea(left, top, areaWidth, areaHeight);
        left = area[0], top = area[1], areaWidth = area[2], areaHeight = area[3];
        return areaWidth > 0;
    }

private:
    int width;
    int height;
    bool inWindow = false;
    int area[4] = {};
};

// A fresh InputManager reading a FakeCursor of the given screen; returns the
// cursor, which the manager owns.
inline FakeCursor* installFakeCursor(int screenWidth = 100000, int screenHeight = 100000,
                                     int startX = 50000, int startY = 50000)
{
    delete InputManager::instance();
    auto fake = std::make_unique<FakeCursor>(screenWidth, screenHeight, startX, startY);
    FakeCursor* cursor = fake.get();
    InputManager::instance()->setCursorDevice(std::move(fake));
    return cursor;
}
