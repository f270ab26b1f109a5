#include "Delay/LengthFade.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kQuarterTurn = 1.57079633f;
constexpr float kHalfTurn = 3.14159265f;
} // namespace

void LengthFade::setup (float largestStep, unsigned long fadeLength) noexcept
{
    limit = largestStep;
    length = std::max (1ul, fadeLength);
    valid = waiting = running = false;
    position = taken = 0;
}

float* LengthFade::takeAny (float* requested, unsigned long n, bool atGridPoint) noexcept
{
    n = std::min (n, kLongest);
    if (n == 0)
        return requested;
    if (atGridPoint && running && position >= length)
        running = false;
    if (! valid)
    {
        valid = true;
        last = requested[0];
    }
    // A glide moves by at most the limit per sample; anything more is a step.
    if (! (std::fabs (requested[0] - last) <= limit))
        waiting = true;
    if (waiting && atGridPoint && ! running)
    {
        running = true;
        waiting = false;
        position = 0;
        std::fill (from.begin(), from.end(), last);
    }
    float* lengths = requested;
    if (waiting)
    {
        std::fill (held.begin(), held.begin() + static_cast<long> (n), last);
        lengths = held.data();
    }
    last = lengths[n - 1];
    if (running)
    {
        taken = position;
        for (unsigned long i = 0; i < n; ++i)
        {
            const unsigned long reached = position + i + 1;
            if (reached >= length)
            {
                oldWeight[i] = 0.0f;
                newWeight[i] = 1.0f;
                continue;
            }
            const float r = static_cast<float> (reached) / static_cast<float> (length);
            oldWeight[i] = std::cos (r * kQuarterTurn);
            newWeight[i] = std::sin (r * kQuarterTurn);
        }
        position += n;
    }
    return lengths;
}

void LengthFade::mixReads (const float* older, float* newer, const float* oldWeight, const float* newWeight,
                           unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        newer[i] = newer[i] * newWeight[i] + older[i] * oldWeight[i];
}

void LengthFade::duckAndSwitch (float* lengths, float* gain, unsigned long n) const noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const unsigned long reached = taken + i + 1;
        if (reached >= length)
        {
            gain[i] = 1.0f;
            continue;
        }
        const float r = static_cast<float> (reached) / static_cast<float> (length);
        gain[i] = std::fabs (std::cos (r * kHalfTurn));
        if (2 * reached < length)
            lengths[i] = from[i];
    }
}
