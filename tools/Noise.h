#pragma once

#include "math/Vector3.h"

#include <cstdint>

// Procedural noise for the texture, sky and particle recipes. The 2D functions
// work on texture coordinates and repeat with the texture when their lattice
// frequency is an integer, so every picture built from them tiles without seams.
// The 3D functions take directions or points and serve the sky and the ball.
class Noise {
public:
    // The nearest and second-nearest feature points of a cellular (Worley) lookup.
    struct Cell {
        float f1 = 0.0f;        // distance to the nearest feature point, in cell units
        float f2 = 0.0f;        // distance to the second nearest
        std::uint32_t id = 0;   // hash of the nearest point's cell, stable across the wrap
        float dx = 0.0f;        // nearest point minus the sample, in cell units
        float dy = 0.0f;
    };

    static std::uint32_t hash(int x, int y, int z, std::uint32_t seed);
    // A hash mapped to [0, 1).
    static float hashUnit(int x, int y, int z, std::uint32_t seed);

    // Gradient noise in about [-1, 1] at lattice point (x, y); repeats every
    // periodX and periodY lattice units.
    static float gradient(float x, float y, int periodX, int periodY, std::uint32_t seed);
    // Fractal sum of gradient noise over texture coordinates: the first octave has
    // frequencyX by frequencyY lattice cells per texture, each further octave
    // doubles them and multiplies the amplitude by gain. Result about [-1, 1].
    static float fbm(float u, float v, int frequencyX, int frequencyY, int octaves,
                     std::uint32_t seed, float gain = 0.5f);
    // Like fbm but of 1 - |noise| per octave: sharp crests, as in ridges and veins. About [0, 1].
    static float ridged(float u, float v, int frequencyX, int frequencyY, int octaves,
                        std::uint32_t seed, float gain = 0.5f);
    // Cellular noise over texture coordinates with frequencyX by frequencyY cells
    // (unequal values stretch the cells). jitter 0 gives a square grid, 1 fully
    // random points.
    static Cell worley(float u, float v, int frequencyX, int frequencyY, std::uint32_t seed,
                       float jitter = 1.0f);

    // Gradient noise in about [-1, 1] at a point in space; not periodic.
    static float gradient(const Vector3& p, std::uint32_t seed);
    static float fbm(const Vector3& p, int octaves, std::uint32_t seed, float gain = 0.5f);
    // Distance to the nearest feature point of a 3D cellular lookup, in cell units.
    static float worleyF1(const Vector3& p, std::uint32_t seed, std::uint32_t* id = nullptr);
};
