#include "game/BallWatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr float NO_HIT = 1000.0f;

using Event = BallWatch::Event;
using Tracking = BallWatch::Tracking;

// One check: the ball's y, its height above the surface below, whether it is at
// the target, and the verdict expected.
struct Check {
    float y;
    float aboveGround;
    bool atTarget;
    Event event;
    Tracking tracking;
};

struct Sequence {
    const char* name;
    std::vector<Check> checks;
};

constexpr Event NONE = BallWatch::EVENT_NONE;
constexpr Event AIRBORNE = BallWatch::EVENT_AIRBORNE;
constexpr Event JUMPED = BallWatch::EVENT_JUMPED;
constexpr Event FELL_OUT = BallWatch::EVENT_FELL_OUT;
constexpr Event TARGET = BallWatch::EVENT_TARGET_REACHED;
constexpr Tracking KEEP = BallWatch::TRACKING_NONE;
constexpr Tracking RESET = BallWatch::TRACKING_RESET;
constexpr Tracking REDUCING = BallWatch::TRACKING_REDUCING;

// Each sequence starts from a fresh watch with a ball of radius 3 on the floor.
const Sequence SEQUENCES[] = {
    {"rolling on the floor", {{3, 3, false, NONE, KEEP}, {3, 3, false, NONE, KEEP}}},
    // Up 17 above the floor and down again: followed down, lost within 13.5 of the floor.
    {"jump too high",
     {{3, 3, false, NONE, KEEP}, {10, 10, false, NONE, KEEP}, {20, 20, false, AIRBORNE, KEEP},
      {17, 17, false, AIRBORNE, REDUCING}, {12, 12, false, NONE, REDUCING}, {8, 8, false, JUMPED, KEEP}}},
    // Rising to 14 above the floor is not a jump.
    {"hop under the jump height",
     {{3, 3, false, NONE, KEEP}, {14, 14, false, NONE, KEEP}, {3, 3, false, NONE, KEEP}}},
    // High in the air the ball comes over a tall block: the surface below jumps
    // by more than 13.5, the tracking restarts and the landing is safe.
    {"jump onto a tall block",
     {{3, 3, false, NONE, KEEP}, {10, 10, false, NONE, KEEP}, {20, 20, false, AIRBORNE, KEEP},
      {22, 4, false, NONE, RESET},
      {21, 3, false, NONE, KEEP}, {21, 3, false, NONE, KEEP}}},
    // Over the edge with nothing below: not airborne, lost once below -100.
    {"off the edge into the void",
     {{3, 3, false, NONE, KEEP}, {-50, NO_HIT, false, NONE, RESET}, {-99, NO_HIT, false, NONE, KEEP},
      {-101, NO_HIT, false, FELL_OUT, KEEP}}},
    // Over the edge into lava 30 below: tracked down like a jump, but the ball
    // never rose, so it fell.
    {"off the edge into the lava",
     {{3, 3, false, NONE, KEEP}, {2, 32, false, AIRBORNE, RESET}, {-10, 20, false, AIRBORNE, REDUCING},
      {-20, 10, false, NONE, REDUCING}, {-27, 3, false, FELL_OUT, KEEP}}},
    // A ledge 14 high: the same fall, however high the ground it lands on.
    {"off a high ledge",
     {{3, 3, false, NONE, KEEP}, {3, 17, false, AIRBORNE, RESET}, {-3, 11, false, NONE, REDUCING},
      {-11, 3, false, FELL_OUT, KEEP}}},
    // Thrown up by the tilting floor at the edge and falling into the sea: it rose, so it jumped.
    {"thrown over the edge",
     {{3, 3, false, NONE, KEEP}, {9, 9, false, NONE, KEEP}, {19, 19, false, AIRBORNE, KEEP},
      {12, 40, false, AIRBORNE, RESET}, {0, 28, false, AIRBORNE, REDUCING}, {-10, 18, false, AIRBORNE, REDUCING},
      {-18, 10, false, NONE, REDUCING}, {-25, 3, false, JUMPED, KEEP}}},
    {"target", {{3, 3, false, NONE, KEEP}, {3, 3, true, TARGET, KEEP}}},
    // A pending loss comes before the target.
    {"lost at the target",
     {{3, 3, false, NONE, KEEP}, {10, 10, false, NONE, KEEP}, {20, 20, false, AIRBORNE, KEEP},
      {12, 12, false, NONE, REDUCING},
      {8, 8, true, JUMPED, KEEP}}},
};

TEST(BallWatch, SequencesGiveTheirVerdicts)
{
    for (const Sequence& sequence : SEQUENCES) {
        BallWatch watch(NO_HIT);
        for (std::size_t i = 0; i < sequence.checks.size(); ++i) {
            const Check& c = sequence.checks[i];
            const BallWatch::Verdict verdict = watch.check(c.y, c.aboveGround, c.atTarget);
            EXPECT_EQ(verdict.event, c.event) << sequence.name << ", check " << i;
            EXPECT_EQ(verdict.tracking, c.tracking) << sequence.name << ", check " << i;
        }
    }
}

TEST(BallWatch, RestartForgetsAJump)
{
    BallWatch watch(NO_HIT);
    watch.check(3, 3, false);
    watch.check(20, 20, false);
    ASSERT_TRUE(watch.isAirborne());
    watch.restart();
    EXPECT_FALSE(watch.isAirborne());
    EXPECT_EQ(watch.check(3, 3, false).event, BallWatch::EVENT_NONE);
    EXPECT_EQ(watch.check(3, 3, false).event, BallWatch::EVENT_NONE);
}

// A ball that slid down into a pit whose floor holds it (no drop ever made it
// airborne) is out of the level once it lies COURSE_DEPTH below the course.
TEST(BallWatch, APitBelowTheCourseIsOutside)
{
    BallWatch watch(NO_HIT);
    watch.restart(4.0f);  // start or target at 4: the course ends at 4 - 12 = -8
    for (const float y : {3.0f, -2.0f, -7.5f})
        EXPECT_EQ(watch.check(y, 3, false).event, BallWatch::EVENT_NONE) << y;
    EXPECT_EQ(watch.check(-8.5f, 3, false).event, BallWatch::EVENT_FELL_OUT);
    watch.restart();
    EXPECT_EQ(watch.check(-50, 3, false).event, BallWatch::EVENT_NONE) << "without a course, only FALL_DEPTH";
}

}  // namespace
