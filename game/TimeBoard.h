#pragma once

#include "game/BestTimes.h"
#include "game/LevelTimer.h"

#include <memory>
#include <string>

// The level's running time at the top right of the window and, after a timed
// finish, the level's best time; the best times are kept between runs.
class TimeBoard {
public:
    static constexpr int FONT = 1;          // 9x15, as every other line
    static constexpr int FONT_ADVANCE = 9;  // pixels per character of that font
    static constexpr int MARGIN = 10;       // pixels from the window's right edge

    TimeBoard();
    ~TimeBoard();

    // A new level from levelFile ("data/levels/jungle.xml" keeps its times as
    // "jungle"); the first call reads the saved times.
    void startLevel(const char* levelFile);
    // Frame time of running play.
    void advance(double frameTime);
    // The level ends without a time.
    void cancel();
    // The ball reached the target: once per level, the time is printed and a
    // new best saved.
    void finish();
    // The time lines, between HudText::begin() and end().
    void draw(int windowWidth) const;

private:
    LevelTimer timer;
    std::unique_ptr<BestTimes> bestTimes;
    std::string level;
    double best = -1.0;  // seconds, shown after a timed finish
    bool newBest = false;
};
