#include "tools/Biquad.h"

#include "math/MathConstants.h"
#include "tools/AudioBuffer.h"

#include <algorithm>
#include <cmath>

Biquad::Biquad(Type type, float frequency, float q)
{
    set(type, frequency, q);
}

void Biquad::set(Type type, float frequency, float q)
{
    const float nyquistSafe = std::clamp(frequency, 10.0f, 0.45f * AudioBuffer::SAMPLE_RATE);
    const float w = 2.0f * PI * nyquistSafe / AudioBuffer::SAMPLE_RATE;
    const float cosw = std::cos(w);
    const float alpha = std::sin(w) / (2.0f * q);
    const float a0 = 1.0f + alpha;
    switch (type) {
    case Type::LOWPASS:
        b0 = (1.0f - cosw) / 2.0f;
        b1 = 1.0f - cosw;
        b2 = b0;
        break;
    case Type::HIGHPASS:
        b0 = (1.0f + cosw) / 2.0f;
        b1 = -(1.0f + cosw);
        b2 = b0;
        break;
    case Type::BANDPASS:
        b0 = alpha;
        b1 = 0.0f;
        b2 = -alpha;
        break;
    }
    b0 /= a0;
    b1 /= a0;
    b2 /= a0;
    a1 = -2.0f * cosw / a0;
    a2 = (1.0f - alpha) / a0;
}

float Biquad::process(float x)
{
    const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}
