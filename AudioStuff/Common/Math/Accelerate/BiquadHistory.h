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

    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;

private:
    // Ordered comparisons: NaN fails both.
    static float sound (float v) noexcept
    {
        const float m = std::fabs (v);
        return m > kAboveSmallest && m < kBelowLargest ? v : 0.0f;
    }

    // Neither bound is a float, so for a float magnitude m: m > 1e-15 exactly
    // when m > the largest float below 1e-15, and m < 1e15 exactly when m <
    // the smallest float above 1e15 (both checked by the tests against the
    // double comparisons).
    static constexpr float kAboveSmallest = 0x1.203af8p-50f; // 9.999999e-16
    static constexpr float kBelowLargest = 0x1.c6bf54p+49f;  // 1.0000001e15
};
