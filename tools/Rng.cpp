#include "tools/Rng.h"

#include <cassert>

namespace {
constexpr std::uint64_t MULTIPLIER = 6364136223846793005ull;
constexpr std::uint64_t INCREMENT = 1442695040888963407ull;
}

Rng::Rng(std::uint64_t seed) : state(0)
{
    next();
    state += seed;
    next();
}

std::uint32_t Rng::next()
{
    const std::uint64_t old = state;
    state = old * MULTIPLIER + INCREMENT;
    const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<std::uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

float Rng::uniform()
{
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

float Rng::range(float low, float high)
{
    return low + (high - low) * uniform();
}

int Rng::below(int count)
{
    assert(count > 0);
    return static_cast<int>(next() % static_cast<std::uint32_t>(count));
}
