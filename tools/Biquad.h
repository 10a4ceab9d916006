#pragma once

// A second-order IIR filter (the audio EQ cookbook's forms), one channel.
class Biquad {
public:
    enum class Type { LOWPASS, HIGHPASS, BANDPASS };

    Biquad() = default;
    Biquad(Type type, float frequency, float q);

    // Moves the corner frequency and Q without clearing the filter's state,
    // for sweeps.
    void set(Type type, float frequency, float q);
    float process(float x);

private:
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};
