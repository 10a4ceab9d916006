#include "game/FrameClock.h"

#include "platform/PerformanceCounter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr double TOLERANCE = 1e-9;
constexpr std::int64_t TICKS_PER_SECOND = 1000000;

// A counter that jumps to the time the test sets and then creeps on by one tick
// per read, as a real one does while the clock waits on it.
class FakeCounter : public PerformanceCounter {
public:
    explicit FakeCounter(std::int64_t* now_) : now(now_) {}
    std::int64_t counter() const override { return (*now)++; }
    std::int64_t frequency() const override { return TICKS_PER_SECOND; }

private:
    std::int64_t* now;
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
    FrameClock clock{std::make_unique<FakeCounter>(&now)};
};

}  // namespace

TEST_F(FrameClockTest, ShortFrameIsStretchedToTheCap)
{
    frame(0.010);
    EXPECT_GT(clock.frameTime, FrameClock::MIN_FRAME_TIME);
    EXPECT_NEAR(clock.frameTime, FrameClock::MIN_FRAME_TIME, 2e-6);
    // The work time keeps what the frame really needed; the rest is waiting.
    EXPECT_NEAR(clock.workTime, 0.010, 1e-5);
    EXPECT_NEAR(clock.fpsTime, FrameClock::MIN_FRAME_TIME, 2e-6);
    EXPECT_EQ(clock.frameCount, 2);
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
