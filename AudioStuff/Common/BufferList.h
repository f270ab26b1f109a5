#pragma once

#include <array>
#include <cstddef>

// The two channel pointers of one bus (a mono bus uses the first). The
// processor owns the records and refills the pointers every block.
struct BufferList
{
    std::array<float*, 2> channels { nullptr, nullptr };

    float*& operator[] (std::size_t channel) noexcept { return channels[channel]; }
    float* operator[] (std::size_t channel) const noexcept { return channels[channel]; }
};
