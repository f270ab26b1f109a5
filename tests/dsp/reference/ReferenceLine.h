#pragma once

#include <cstddef>
#include <vector>

// A delay line kept by stream time, one sample at a time: push the newest
// sample, read any earlier one with linear interpolation. No blocks, no
// wrap-around guard samples: the storage is simply long enough.
class ReferenceLine
{
public:
    explicit ReferenceLine (std::size_t longestDelay = 1);

    void push (float x);
    void clear();
    // The sample pushed `whole` pushes ago (0: the newest), moved `fraction`
    // of a sample further back: newer + fraction (older - newer).
    float read (long whole, float fraction) const;

private:
    float at (long age) const;

    std::vector<float> samples;
    std::size_t newest = 0;
};
