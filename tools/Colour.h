#pragma once

// A colour in display (sRGB) space with straight alpha, each channel nominally
// 0..1. Values outside that range are allowed while a picture is composed and
// are clamped only when a file is written.
struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;

    Colour() = default;
    Colour(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_) {}

    Colour operator+(const Colour& o) const { return {r + o.r, g + o.g, b + o.b, a + o.a}; }
    Colour operator-(const Colour& o) const { return {r - o.r, g - o.g, b - o.b, a - o.a}; }
    Colour operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
    Colour scaled(float s) const { return {r * s, g * s, b * s, a}; }
    Colour withAlpha(float alpha) const { return {r, g, b, alpha}; }
    float luminance() const { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }

    // Linear blend of all four channels: t = 0 gives a, t = 1 gives b.
    static Colour mix(const Colour& a, const Colour& b, float t) { return a + (b - a) * t; }
};
