#pragma once

// Counts every heap allocation of the process: linking AllocationCounter.cpp
// replaces the global operator new.
class AllocationCounter {
public:
    // Allocations made since the program started.
    static long count();
};
