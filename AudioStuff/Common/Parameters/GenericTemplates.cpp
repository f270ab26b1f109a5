#include "Parameters/GenericTemplates.h"

#include "Math/NoteScale.h"

#include <algorithm>
#include <cmath>

namespace
{
// NaN goes to the bottom of the range rather than through the mapping.
float clampUnit (float x) noexcept
{
    return x > 0.0f ? std::min (x, 1.0f) : 0.0f;
}

float clampToRange (float v, float min, float max) noexcept
{
    const float low = std::min (min, max);
    const float high = std::max (min, max);
    return v > low ? std::min (v, high) : low;
}
} // namespace

float GenericTemplates::powThree (float min, float max, float x) noexcept
{
    const float t = clampUnit (x);
    return min + (max - min) * (t * t * t);
}

float GenericTemplates::invertPowThree (float min, float max, float v) noexcept
{
    if (max == min)
        return 0.0f;
    const float clamped = clampToRange (v, min, max);
    return std::pow ((clamped - min) / (max - min), 0.33333334f);
}

float GenericTemplates::ratioToFrequencies (float min, float max, float x) noexcept
{
    const float low = NoteScale::note (min);
    const float high = NoteScale::note (max);
    return NoteScale::freq (low + (high - low) * clampUnit (x));
}

float GenericTemplates::frequenciesToRatio (float min, float max, float f) noexcept
{
    const float low = NoteScale::note (min);
    const float high = NoteScale::note (max);
    if (high == low)
        return 0.0f;
    const float clamped = clampToRange (f, min, max);
    return (NoteScale::note (clamped) - low) / (high - low);
}
