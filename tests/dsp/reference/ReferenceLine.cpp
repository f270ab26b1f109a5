#include "ReferenceLine.h"

#include <algorithm>

ReferenceLine::ReferenceLine (std::size_t longestDelay)
    : samples (longestDelay + 2, 0.0f)
{
}

void ReferenceLine::push (float x)
{
    newest = (newest + 1) % samples.size();
    samples[newest] = x;
}

void ReferenceLine::clear()
{
    std::fill (samples.begin(), samples.end(), 0.0f);
}

float ReferenceLine::at (long age) const
{
    const auto size = static_cast<long> (samples.size());
    if (age < 0 || age >= size)
        return 0.0f; // outside the line: nothing was stored there
    return samples[static_cast<std::size_t> ((static_cast<long> (newest) - age + size) % size)];
}

float ReferenceLine::read (long whole, float fraction) const
{
    const float newer = at (whole);
    const float older = at (whole + 1);
    return fraction * (older - newer) + newer;
}
