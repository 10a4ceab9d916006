#pragma once

#include "app/Singleton.h"

// Lines of text over the finished image, in GLUT bitmap fonts, in a pixel-exact
// projection whose origin is the window's top-left corner.
class HudText : public Singleton<HudText> {
    friend class Singleton<HudText>;

public:
    // Font indices 0..6: 8x13, 9x15, Times Roman 10 and 24, Helvetica 10, 12, 18.
    static constexpr int FONT_COUNT = 7;

    // Records the overlay projection for a w x h window (not executed here).
    void reshape(const int& w, const int& h);
    // Lighting and texturing off, overlay projection loaded (not saved).
    void begin();
    // One line with its baseline at (x, y) window pixels, with a dark outline.
    // An unknown font draws nothing, but colour and raster position are still set.
    void print(const char* text, const int& font, const int& x, const int& y, const float& r,
               const float& g, const float& b);
    // Lighting and texturing on again.
    void end();

private:
    HudText() = default;
    // The characters at the current raster position in the current raster colour.
    void drawLine(const char* text, const int& font);

    unsigned int orthoList = 0;  // GL display list with the overlay projection
};
