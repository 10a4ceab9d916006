#include "app/Config.h"

#include <fstream>

namespace {

// The next whitespace-separated token, cut to the longest token the format allows.
bool readToken(std::istream& in, std::string& token)
{
    if (!(in >> token))
        return false;
    if (token.size() > Config::MAX_TOKEN_LENGTH)
        token.resize(Config::MAX_TOKEN_LENGTH);
    return true;
}

}  // namespace

void Config::load(const char* fileName)
{
    screenWidth = 640;
    screenHeight = 480;
    bitsPerPixel = 32;
    refreshRate = 60;
    fullScreen = 0;

    std::ifstream in(fileName);
    if (!in)
        return;

    int* const integerFields[] = {&screenWidth, &screenHeight, &bitsPerPixel, &refreshRate,
                                  &fullScreen};
    const char* const integerKeys[] = {"screenWidth", "screenHeight", "bitsPerPixel", "refreshRate",
                                       "fullScreen"};
    std::string token;
    while (readToken(in, token)) {
        bool readFailed = false;
        for (int i = 0; i < 5; ++i) {
            if (token == integerKeys[i]) {
                int value = 0;
                // A key followed by no number (a word, an overflow, the end of the
                // file) ends reading: the stream could not go on from there anyway.
                if (in >> value)
                    *integerFields[i] = value;
                else
                    readFailed = true;
            }
        }
        if (token == "windowName")
            readFailed = !readToken(in, windowName);
        else if (token == "dataPath")
            readFailed = !readToken(in, dataPath);
        if (readFailed)
            break;
    }
    fitFullScreenSize();
}

// Game mode accepts only the common sizes; any other falls back to the desktop.
void Config::fitFullScreenSize()
{
    if (!fullScreen)
        return;
    static const int supported[][2] = {{1600, 1200}, {1280, 1024}, {1024, 768}, {800, 600}, {640, 480}};
    for (const auto& size : supported) {
        if (screenWidth == size[0] && screenHeight == size[1])
            return;
    }
    if (desktopSize)
        desktopSize(screenWidth, screenHeight);
}
