#include "game/TimeBoard.h"

#include "app/DataPaths.h"
#include "app/Report.h"
#include "game/HudText.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

void printRight(const char* text, int windowWidth, int y, float r, float g, float b)
{
    const int width = static_cast<int>(std::strlen(text)) * TimeBoard::FONT_ADVANCE;
    HudText::instance()->print(text, TimeBoard::FONT, windowWidth - TimeBoard::MARGIN - width, y, r, g, b);
}

}  // namespace

TimeBoard::TimeBoard() = default;
TimeBoard::~TimeBoard() = default;

void TimeBoard::startLevel(const char* levelFile)
{
    if (!bestTimes) {
        bestTimes = std::make_unique<BestTimes>(DataPaths::instance()->saveFolder());
        bestTimes->load();
    }
    level = std::filesystem::path(levelFile).stem().string();
    best = -1.0;
    newBest = false;
    timer.restart();
}

void TimeBoard::advance(double frameTime)
{
    timer.advance(frameTime);
}

void TimeBoard::cancel()
{
    timer.cancel();
}

void TimeBoard::finish()
{
    if (!timer.finish())
        return;
    newBest = bestTimes->record(level, timer.seconds());
    best = bestTimes->best(level);
    char time[32], bestText[32];
    LevelTimer::format(timer.seconds(), time, sizeof(time));
    LevelTimer::format(best, bestText, sizeof(bestText));
    report("Level time %s, best time %s%s\n", time, bestText, newBest ? " (new best)" : "");
}

void TimeBoard::draw(int windowWidth) const
{
    if (!timer.running() && !timer.timed())
        return;
    char time[32], line[48];
    LevelTimer::format(timer.seconds(), time, sizeof(time));
    std::snprintf(line, sizeof(line), "Time %s", time);
    printRight(line, windowWidth, 20, 1.0f, 1.0f, 1.0f);
    if (!timer.timed() || best < 0.0)
        return;
    LevelTimer::format(best, time, sizeof(time));
    std::snprintf(line, sizeof(line), newBest ? "New best %s" : "Best %s", time);
    printRight(line, windowWidth, 40, newBest ? 0.0f : 1.0f, 1.0f, newBest ? 0.0f : 1.0f);
}
