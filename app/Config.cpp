#include "app/Config.h"

#include "app/DataFile.h"
#include "app/Report.h"

#include <algorithm>
#include <sstream>

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

    // A missing file is the usual case and silent; any other failure names the file.
    std::string bytes;
    const DataFile::Outcome outcome = DataFile::read(fileName, bytes);
    if (outcome != DataFile::READ) {
        if (outcome != DataFile::MISSING)
            report("%s %s; the default settings stand\n", fileName, DataFile::describe(outcome));
        return;
    }
    std::istringstream in(bytes);

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
    fitWindowSize(fileName);
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

// A window larger than the display, or of no size, is refused by the X server
// or crashes the GL driver; such sizes are brought within 1 to the desktop size.
void Config::fitWindowSize(const char* fileName)
{
    if (fullScreen)
        return;
    int maxWidth = MAX_WINDOW_EXTENT;
    int maxHeight = MAX_WINDOW_EXTENT;
    if (desktopSize)
        desktopSize(maxWidth, maxHeight);
    maxWidth = std::clamp(maxWidth, 1, MAX_WINDOW_EXTENT);
    maxHeight = std::clamp(maxHeight, 1, MAX_WINDOW_EXTENT);
    const int width = std::clamp(screenWidth, 1, maxWidth);
    const int height = std::clamp(screenHeight, 1, maxHeight);
    if (width == screenWidth && height == screenHeight)
        return;
    report("%s: window size %dx%d does not fit the %dx%d display; using %dx%d\n", fileName,
           screenWidth, screenHeight, maxWidth, maxHeight, width, height);
    screenWidth = width;
    screenHeight = height;
}
