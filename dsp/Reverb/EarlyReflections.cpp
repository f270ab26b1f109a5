#include "Reverb/EarlyReflections.h"

#include "Math/Accelerate/VectorClones.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

using SP = SignalProcessing;

namespace
{
// difference = a - t, then a = a + t, in one pass.
KARVON_VECTOR_CLONES
void rung (const float* __restrict t, float* __restrict a, float* __restrict difference, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        difference[i] = a[i] - t[i];
        a[i] = a[i] + t[i];
    }
}

// rung with a read from `start` instead of updated in place: difference =
// start - t, a = start + t (start may be a itself).
KARVON_VECTOR_CLONES
void firstRung (const float* __restrict t, const float* start, float* a, float* __restrict difference,
                unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const float s = start[i];
        const float tap = t[i];
        difference[i] = s - tap;
        a[i] = s + tap;
    }
}
} // namespace

EarlyReflections::EarlyReflections (float maxDelayMs, const std::array<float, kLineCount>& initialTimesMs)
    : DelayGroup<DelayLine> (maxDelayMs, initialTimesMs)
{
}

void EarlyReflections::init (int numChannels, double newSampleRate)
{
    DelayGroup<DelayLine>::init (1, newSampleRate);
    x.assign (kMaxFramesPerBlock, 0.0f);
    tap.assign (kMaxFramesPerBlock, 0.0f);
    for (auto& r : lines)
        r.line->setInterpolation (DelayRead::Linear);
}

void EarlyReflections::process (const float* left, const float* right, float* outLeft, float* outRight,
                                unsigned long n) noexcept
{
    if (x.size() < n || lines.size() < kLineCount)
        return;

    // a accumulates the left side in outLeft; each rung delays the running
    // difference and folds it back into both sides. The first rung starts
    // from the inputs themselves (difference = right, a = left).
    float* a = outLeft;
    float* diff = x.data();
    float* t = tap.data();

    for (std::size_t i = 0; i < 3; ++i)
    {
        lines[i].line->delayInto (i == 0 ? right : diff, t, n, 0, lines[i].timeMsBuffer.data());
        if (i == 0)
            firstRung (t, left, a, diff, n);
        else
            rung (t, a, diff, n);
    }

    lines[3].line->delayInto (diff, outRight, n, 0, lines[3].timeMsBuffer.data());
}
