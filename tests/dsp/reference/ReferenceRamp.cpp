#include "ReferenceRamp.h"

#include <algorithm>
#include <cmath>

void ReferenceRamp::jump (float target)
{
    goal = target;
    increment = 0.0f;
    remaining = 0;
}

void ReferenceRamp::start (float target, std::uint64_t duration, float largestStep)
{
    const float current = goal + static_cast<float> (remaining) * increment;
    if (std::fabs (current - target) > largestStep * static_cast<float> (duration))
    {
        jump (target);
        return;
    }
    increment = (current - target) / static_cast<float> (duration);
    remaining = duration;
    goal = target;
}

void ReferenceRamp::render (float* out, long frames)
{
    if (remaining == 0)
    {
        std::fill (out, out + frames, goal);
        return;
    }
    const float from = goal + static_cast<float> (remaining) * increment;
    const float lo = std::min (from, goal), hi = std::max (from, goal);
    for (long k = 0; k < frames; ++k)
        out[k] = std::clamp (from + static_cast<float> (static_cast<int> (k)) * -increment, lo, hi);
    const auto n = static_cast<std::uint64_t> (frames);
    remaining = remaining > n ? remaining - n : 0;
}
