#pragma once

#include "Math/Accelerate/BiquadState.h"

#include <cmath>

// The two previous inputs and outputs of one second-order section, carried
// from one processed piece to the next. x1/y1 are the most recent samples.
class BiquadHistory final : public BiquadState
{
public:
    void clear() noexcept override;

    // Keeps values whose magnitude lies strictly between 1e-15 and 1e15
    // (taken in double precision); zeroes denormal-small values, blow-ups,
    // infinities and NaN. Inline: every filter call ends with it.
    void clearBadStateValue() noexcept override
    {
        x1 = sound (x1);
        x2 = sound (x2);
        y1 = sound (y1);
        y2 = sound (y2);
    }

    // The end of a call that ran `frames` samples through the section:
    // non-finite and blown-up values go at once; small ones only where the
    // frames run so far reach a multiple of kSettlePeriod. A call's end
    // follows the host's block, so clearing small values there would make
    // the samples depend on how the host cut its blocks; owners that call on
    // a fixed grid of this period (the effect's kernel) get the same
    // samples whatever the blocks.
    void finishCall (unsigned long frames) noexcept
    {
        framesRun = (framesRun + frames) % kSettlePeriod;
        if (framesRun == 0)
        {
            clearBadStateValue();
            return;
        }
        x1 = bounded (x1);
        x2 = bounded (x2);
        y1 = bounded (y1);
        y2 = bounded (y2);
    }

    static constexpr unsigned long kSettlePeriod = 256;

    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;

    // The two rules for a value carried from one call to the next, for
    // other recursions that settle as these histories do: v if finite and
    // not blown up, else 0 (NaN fails the ordered comparison); and v if
    // also not too small to be heard, else 0.
    static float bounded (float v) noexcept { return std::fabs (v) < kBelowLargest ? v : 0.0f; }
    static float sound (float v) noexcept
    {
        const float m = std::fabs (v);
        return m > kAboveSmallest && m < kBelowLargest ? v : 0.0f;
    }

private:
    unsigned long framesRun = 0;

    // Neither bound is a float, so for a float magnitude m: m > 1e-15 exactly
    // when m > the largest float below 1e-15, and m < 1e15 exactly when m <
    // the smallest float above 1e15 (both checked by the tests against the
    // double comparisons).
    static constexpr float kAboveSmallest = 0x1.203af8p-50f; // 9.999999e-16
    static constexpr float kBelowLargest = 0x1.c6bf54p+49f;  // 1.0000001e15
};
