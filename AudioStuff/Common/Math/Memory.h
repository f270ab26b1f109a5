#pragma once

#include <cstddef>

namespace Memory
{
// Source first, destination second: the order every caller in the engine uses.
void copy (const float* source, float* destination, std::size_t n) noexcept;
} // namespace Memory
