#pragma once

#include <cstddef>
#include <cstring>

namespace Memory
{
// Source first, destination second: the order every caller in the engine uses.
// Inline: the engine copies short blocks many times per block, and the call
// around the library's copy cost as much as a short copy itself.
inline void copy (const float* source, float* destination, std::size_t n) noexcept
{
    if (n > 0 && source != destination)
        std::memmove (destination, source, n * sizeof (float));
}
} // namespace Memory
