#include "game/StatusText.h"

#include "app/Report.h"
#include "game/HudText.h"

#include <cstdio>

namespace {
constexpr float YELLOW[3] = {1.0f, 1.0f, 0.0f};
}

void StatusText::showMessage(const char* text)
{
    std::snprintf(messageText, sizeof(messageText), "%s", text);
    messageTimer = 0.0f;
}

void StatusText::showLevelState(const char* fileName, bool readable, bool playable)
{
    problemText[0] = '\0';
    if (!readable)
        std::snprintf(problemText, sizeof problemText, "Level file %s cannot be read", fileName);
    else if (!playable)
        std::snprintf(problemText, sizeof problemText, "Level file %s has no start or no target", fileName);
    if (problemText[0] != '\0')
        report("%s\n", problemText);
}

void StatusText::draw(float frameTime, const Play& play)
{
    HudText* hud = HudText::instance();
    if (play.frameCounter)
        hud->print(play.frameCounter, FONT, 10, 20, YELLOW[0], YELLOW[1], YELLOW[2]);
    if (problemText[0] != '\0')
        hud->print(problemText, FONT, 10, 160, 1.0f, 0.0f, 0.0f);
    if (messageTimer < MESSAGE_TIME) {
        messageTimer += frameTime;
        // Green fading to white over the two seconds.
        hud->print(messageText, FONT, 10, 140, messageTimer, 1.0f, messageTimer);
    }
    if (play.showHelp) {
        const char* const help[] = {"Mouse: rotate camera", "Mouse + right mouse button: change view distance",
                                    "Mouse + space: rotate level", "F2 - F7: settings"};
        for (int i = 0; i < 4; ++i)
            hud->print(help[i], FONT, 10, 60 + 20 * i, YELLOW[0], YELLOW[1], YELLOW[2]);
    }
    // At most one status line: a lost ball, a finished level, or a pause.
    if (play.ballOutside)
        hud->print("Ball outside of level! Press 'r' to reset ball", FONT, 10, 40, 1.0f, 0.0f, 0.0f);
    else if (play.ballLost)
        hud->print("Ball jumped to high! Press 'r' to reset ball", FONT, 10, 40, 1.0f, 0.0f, 0.0f);
    else if (play.levelFinished)
        hud->print("Level finished! Press 'enter' to start next level", FONT, 10, 40, 0.0f, 1.0f, 0.0f);
    else if (play.paused)
        hud->print("Paused", FONT, 10, 40, 1.0f, 1.0f, 1.0f);
}
