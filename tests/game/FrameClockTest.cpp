#include "game/FrameClock.h"

#include "platform/PerformanceCounter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr double TOLERANCE = 1e-9;
constexpr std::int64_t TICKS_PER_SECOND = 1000000;

// A counter that jumps to the time the test sets and then creeps on by one tick
// per read, as a real one does while the clock waits on it. A sleep passes the
// time asked for plus the scheduler's lateness.
class FakeCounter : public PerformanceCounter {
public:
    FakeCounter(std::int64_t* now_, std::int64_t* reads_, std::int64_t* slept_)
        : now(now_), reads(reads_), slept(slept_) {}
    std::int64_t counter() const override
    {
        ++*reads;
        return (*now)++;
    }
    std::int64_t frequency() const override { return TICKS_PER_SECOND; }
    void sleep(std::int64_t ticks) const override
    {
        *slept += ticks;
        *now += ticks + lateness;
    }

    std::int64_t lateness = 100;  // 0.1 ms

private:
    std::int64_t* now;
    std::int64_t* reads;
    std::int64_t* slept;
};

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override { clock.start(); }

    // Lets seconds pass, then ends the frame.
    void frame(double seconds)
    {
        now += static_cast<std::int64_t>(seconds * TICKS_PER_SECOND);
        clock.measure();
    }

    std::int64_t now = 5000;
    std::int64_t reads = 0;
    std::int64_t slept = 0;
    FrameClock clock{std::make_unique<FakeCounter>(&now, &reads, &slept)};
};

}  // namespace

// A short frame is stretched to the cap, which must not hold a core: almost all
// of the wait is one sleep, and the few reads after it cover only the last margin.
TEST_F(FrameClockTest, ShortFrameSleepsUpToTheCap)
{
    reads = 0;
    frame(0.005);
    EXPECT_NEAR(static_cast<double>(slept) / TICKS_PER_SECOND,
                FrameClock::MIN_FRAME_TIME - 0.005 - FrameClock::SLEEP_MARGIN, 1e-5);
    EXPECT_LT(reads, 700);  // one tick per read: at most the half-millisecond margin of yields
    EXPECT_GE(clock.frameTime, FrameClock::MIN_FRAME_TIME);
    EXPECT_LT(clock.frameTime, FrameClock::MIN_FRAME_TIME + 1e-4);
    // The work time keeps what the frame really needed; the rest is waiting.
    EXPECT_NEAR(clock.workTime, 0.005, 1e-5);
    EXPECT_NEAR(clock.fpsTime, clock.frameTime, 1e-6);
    EXPECT_EQ(clock.frameCount, 2);

    // Uncapped (the frame benchmark): no wait at all.
    clock.capped = false;
    slept = 0;
    frame(0.005);
    EXPECT_EQ(slept, 0);
    EXPECT_NEAR(clock.frameTime, 0.005, 1e-5);
}

TEST_F(FrameClockTest, LongFrameIsTakenAsItIs)
{
    frame(0.1);
    EXPECT_NEAR(clock.frameTime, 0.1, 1e-5);
    frame(0.2);
    EXPECT_NEAR(clock.elapsedTime, 0.3, 1e-5);
    EXPECT_NEAR(clock.workTime, 0.3, 1e-5);
}

TEST_F(FrameClockTest, CounterLineWaitsForASecondOfFrames)
{
    clock.updateCounterText();
    EXPECT_STREQ(clock.fpsText, "FPS:");
    for (int i = 0; i < 40; ++i)
        frame(0.010);  // capped: 40 frames of just over 25 ms
    clock.updateCounterText();
    // 41 frames counted (the count starts at 1); 41 / 0.4 s of work + 1.
    EXPECT_STREQ(clock.fpsText, "FPS: 41 (103)");
    EXPECT_EQ(clock.frameCount, 0);
    EXPECT_EQ(clock.fpsTime, 0.0f);
}

TEST_F(FrameClockTest, CounterLineFitsWhateverTheFigures)
{
    clock.fpsTime = 1.0f;
    clock.workTime = 0.0f;  // no measurable work: no division by zero
    clock.frameCount = 2000000000;
    clock.updateCounterText();
    EXPECT_LT(std::strlen(clock.fpsText), sizeof(clock.fpsText));
    EXPECT_EQ(std::strncmp(clock.fpsText, "FPS: 2000000000 (0)", sizeof(clock.fpsText)), 0);
}
