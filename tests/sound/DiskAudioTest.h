#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Fixture for tests against the real mixer: SDL's disk audio driver records
// the mixed output (44100 Hz, 16-bit stereo) to a file, at the real rate, and
// the test works in a fresh directory with a data/sound folder of its own.
class DiskAudioTest : public ::testing::Test {
protected:
    static constexpr int RATE = 44100;
    // Mixing latency and file buffering: an event shows up in the recording
    // at most this many frames after the frame count seen when it happened.
    static constexpr long SETTLE_FRAMES = RATE / 10;

    void SetUp() override;
    void TearDown() override;

    // Mono 16-bit WAV files under data/sound (name relative to it).
    void writeToneWav(const std::string& name, double hz, double seconds) const;
    void writeLevelWav(const std::string& name, short level, double seconds) const;
    void writeToneMp3(const std::string& name, double hz, double seconds) const;
    void writeSoundFile(const std::string& name, const std::string& bytes) const;
    void removeSoundFile(const std::string& name) const;

    // Sleeps about seconds in 25 ms frames, calling frame each time.
    static void runFrames(double seconds, const std::function<void()>& frame = {});
    // Frames written to the recording so far; a marker for the next event.
    long framesRecorded() const;
    // The left channel of the recording; read after the output is closed.
    std::vector<short> recording() const;

    // Amplitude of a tone in each 2048-frame window of [from, to).
    static std::vector<double> toneLevels(const std::vector<short>& samples, long from, long to,
                                          double hz);
    // Mean sample value in each 1024-frame window of [from, to).
    static std::vector<double> meanLevels(const std::vector<short>& samples, long from, long to);

    static constexpr short TONE_AMPLITUDE = 6000;

private:
    std::string soundPath(const std::string& name) const;

    std::string directory;
    std::string previousDirectory;
};

double minimum(const std::vector<double>& values);
double maximum(const std::vector<double>& values);
