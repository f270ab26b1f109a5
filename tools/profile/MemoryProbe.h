#pragma once

#include <cstddef>

namespace profile
{
// The process's heap in use (every malloc arena, large blocks included) and
// its resident memory, read at one moment.
struct MemoryProbe
{
    std::size_t heapBytes = 0;
    std::size_t residentBytes = 0;

    static MemoryProbe now();
};
} // namespace profile
