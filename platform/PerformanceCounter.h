#pragma once

#include <cstdint>

// High-resolution counter for the frame timing: a tick count and the ticks per
// second. Virtual so tests can drive the frame loop with a clock of their own.
class PerformanceCounter {
public:
    virtual ~PerformanceCounter() = default;
    virtual std::int64_t counter() const;
    virtual std::int64_t frequency() const;
    // Gives the processor away for about ticks; may wake late, never early.
    virtual void sleep(std::int64_t ticks) const;
};
