#pragma once

#include "app/Singleton.h"

#include <string>

// Window and display settings read from config.txt.
class Config : public Singleton<Config> {
    friend class Singleton<Config>;

public:
    // Tokens longer than this many characters are cut to it.
    static constexpr std::size_t MAX_TOKEN_LENGTH = 127;
    // Largest window side without a known desktop size: GL's usual viewport limit.
    static constexpr int MAX_WINDOW_EXTENT = 16384;

    int screenWidth = 640;   // window or game-mode width, pixels
    int screenHeight = 480;
    int bitsPerPixel = 32;   // game-mode colour depth
    int refreshRate = 60;    // game-mode refresh rate, Hz
    int fullScreen = 0;      // non-zero: game mode instead of a window
    std::string windowName;
    std::string dataPath;    // read but unused

    // Supplies the desktop size for full-screen sizes that are not in the list of
    // supported modes, and the largest window. main installs glutGet here.
    void (*desktopSize)(int& width, int& height) = nullptr;

    // Reads whitespace-separated key/value tokens. A missing file keeps the
    // defaults; a value that cannot be read stops reading and keeps what was read.
    // A window size outside 1 to the desktop size is brought within it, with a line.
    void load(const char* fileName);

private:
    Config() = default;
    void fitFullScreenSize();
    void fitWindowSize(const char* fileName);
};
