#include "math/Random.h"

namespace {
unsigned int state = 1;
}

int Random::next()
{
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

void Random::seed(unsigned int value)
{
    state = value;
}

float Random::unit()
{
    return static_cast<float>(next() % 10001) * 0.0001f;
}

float Random::fraction()
{
    return static_cast<float>(next()) / static_cast<float>(MAX);
}
