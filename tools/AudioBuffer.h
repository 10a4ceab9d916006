#pragma once

#include <cstdint>
#include <vector>

// A stereo sound being composed, as floats at 44.1 kHz. A looping buffer is a
// circle: whatever is written past its end continues at its start, so notes
// and reverb tails that cross the loop point carry on where the loop restarts.
class AudioBuffer {
public:
    static constexpr int SAMPLE_RATE = 44100;

    AudioBuffer(double seconds, bool looping);

    int frames() const { return static_cast<int>(left.size()); }
    bool isLooping() const { return looping; }
    double seconds() const { return static_cast<double>(left.size()) / SAMPLE_RATE; }

    // Adds a sample at a frame; pan -1 (left) .. 1 (right), equal power.
    // Frames outside a one-shot buffer are dropped; a loop wraps them.
    void add(long frame, float sample, float pan);
    void addStereo(long frame, float l, float r);
    float& at(int channel, int frame) { return channel == 0 ? left[frame] : right[frame]; }
    float at(int channel, int frame) const { return channel == 0 ? left[frame] : right[frame]; }

    // Scales so that the loudest sample reaches peak (for example 0.89, 1 dB below full scale).
    void normalise(float peak);
    // 16-bit little-endian interleaved samples, rounded and clamped.
    std::vector<std::int16_t> toPcm16() const;

private:
    std::vector<float> left;
    std::vector<float> right;
    bool looping;
};
