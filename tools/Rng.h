#pragma once

#include <cstdint>

// Deterministic random numbers (PCG32): every generated file draws from its own
// seeded stream, so output does not depend on thread scheduling.
class Rng {
public:
    explicit Rng(std::uint64_t seed);

    std::uint32_t next();
    // Uniform in [0, 1).
    float uniform();
    // Uniform in [low, high).
    float range(float low, float high);
    // Uniform integer in [0, count); count must be positive.
    int below(int count);

private:
    std::uint64_t state;
};
