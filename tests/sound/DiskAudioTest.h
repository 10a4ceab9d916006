#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Fixture for tests against the real mixer: SDL's disk audio driver records the
// mixed output (44100 Hz, 16-bit stereo) to a file at the real rate, and the test
// works in a fresh directory with a data/sound folder of its own.
class DiskAudioTest : public ::testing::Test {
protected:
    static constexpr int RATE = 44100;
    static constexpr short TONE_AMPLITUDE = 6000;
    // Mixing latency and file buffering: an event shows up in the recording at
    // most this many frames after the frame count seen when it happened.
    static constexpr long SETTLE_FRAMES = RATE / 10;

    void SetUp() override;
    void TearDown() override;

    // data/sound/<name>, mono 16-bit: a sine tone (MP3 through lame when the name
    // ends in ".mp3", else WAV) or a constant level (WAV).
    void writeTone(const std::string& name, double hz, double seconds) const;
    void writeLevel(const std::string& name, short level, double seconds) const;

    // Runs 25 ms frames, calling frame each time, for seconds of time and of
    // recorded sound.
    void runFrames(double seconds, const std::function<void()>& frame = {}) const;
    // Frames recorded so far: a marker for the next event.
    long framesRecorded() const;
    // The left channel of the recording; complete once the output is closed.
    std::vector<short> recording() const;

    // Amplitude of a tone in each 2048-frame window of [from, to).
    static std::vector<double> toneLevels(const std::vector<short>& samples, long from, long to, double hz);
    // How many 1024-frame windows of [from, to) have a mean within 300 of level.
    static int windowsAt(const std::vector<short>& samples, long from, long to, double level);

private:
    std::string directory;
    std::string previousDirectory;
};
