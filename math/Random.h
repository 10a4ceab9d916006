#pragma once

// The game's one random source: integers 0..32767, the classic linear
// congruential generator, so a seed gives the same sequence on every machine.
class Random {
public:
    static constexpr int MAX = 32767;

    static int next();
    static void seed(unsigned int value);
    // (next() mod 10001) * 0.0001: a number from 0 to 1 in steps of 0.0001.
    static float unit();
    // next() / MAX: a number from 0 to 1 at the generator's full resolution.
    static float fraction();
};
