#pragma once

#include <ctime>
#include <string>

// Saves the window's picture as a PNG file named after the date and time, in
// the player's pictures folder or else the folder the game was started in.
class ScreenshotWriter {
public:
    // Reads the w x h window from the back buffer of the frame just drawn
    // (before the swap). Returns the line that tells the player how it went;
    // the full path is printed.
    std::string capture(int width, int height) const;

    // "pitchroll-YYYY-MM-DD-HH-MM-SS" for a local time; the file adds ".png".
    static std::string fileStem(std::time_t when);
};
