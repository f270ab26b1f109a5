#pragma once

#include <cstddef>

namespace hosttest
{
// Counts heap allocations made by the calling thread while a ScopedAllocationCount
// is alive. The program replaces the C allocator (malloc and its relatives), so
// it sees allocations made inside a loaded plug-in's shared library too, however
// that library allocates (operator new, malloc, aligned allocation).
// Only the thread that opened the scope is counted: other threads of the host or
// of the plug-in (message thread, timers) may allocate freely meanwhile.
class ScopedAllocationCount
{
public:
    ScopedAllocationCount() noexcept;
    ~ScopedAllocationCount() noexcept;

    ScopedAllocationCount (const ScopedAllocationCount&) = delete;
    ScopedAllocationCount& operator= (const ScopedAllocationCount&) = delete;

    // Allocations (malloc, calloc, realloc to a new size, aligned allocations)
    // seen on this thread since the scope opened.
    std::size_t count() const noexcept;

    // False in builds whose sanitizer runtime owns the allocator: there
    // nothing is intercepted and count() is always 0.
    static bool isAvailable() noexcept;

private:
    std::size_t start;
    bool wasCounting;
};
} // namespace hosttest
