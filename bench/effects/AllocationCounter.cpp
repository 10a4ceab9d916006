#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Kept in a file of its own: inlined into a caller, GCC takes the replaced
// operators for mismatched malloc/delete pairs.
namespace {
std::atomic<long> allocations{0};
}

long AllocationCounter::count()
{
    return allocations.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
