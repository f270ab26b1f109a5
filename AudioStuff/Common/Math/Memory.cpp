#include "Memory.h"

#include <cstring>

namespace Memory
{
void copy (const float* source, float* destination, std::size_t n) noexcept
{
    if (n > 0 && source != destination)
        std::memmove (destination, source, n * sizeof (float));
}
} // namespace Memory
