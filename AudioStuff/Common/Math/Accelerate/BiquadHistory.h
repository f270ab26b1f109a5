#pragma once

#include "Math/Accelerate/BiquadState.h"

#include <emmintrin.h>

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
        const __m128 v = _mm_setr_ps (x1, x2, y1, y2);
        const __m128 m = _mm_andnot_ps (_mm_set1_ps (-0.0f), v);
        // Ordered comparisons: NaN fails both.
        const __m128 sound = _mm_and_ps (_mm_cmpgt_ps (m, _mm_set1_ps (kAboveSmallest)),
                                         _mm_cmplt_ps (m, _mm_set1_ps (kBelowLargest)));
        alignas (16) float kept[4];
        _mm_store_ps (kept, _mm_and_ps (sound, v));
        x1 = kept[0];
        x2 = kept[1];
        y1 = kept[2];
        y2 = kept[3];
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
            clearBadStateValue();
        else
            clearBlowUps();
    }

    static constexpr unsigned long kSettlePeriod = 256;

    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;

private:
    // The upper half of clearBadStateValue: NaN, infinities and blow-ups.
    void clearBlowUps() noexcept
    {
        const __m128 v = _mm_setr_ps (x1, x2, y1, y2);
        const __m128 sound = _mm_cmplt_ps (_mm_andnot_ps (_mm_set1_ps (-0.0f), v), _mm_set1_ps (kBelowLargest));
        alignas (16) float kept[4];
        _mm_store_ps (kept, _mm_and_ps (sound, v));
        x1 = kept[0];
        x2 = kept[1];
        y1 = kept[2];
        y2 = kept[3];
    }

    unsigned long framesRun = 0;

    // Neither bound is a float, so for a float magnitude m: m > 1e-15 exactly
    // when m > the largest float below 1e-15, and m < 1e15 exactly when m <
    // the smallest float above 1e15 (both checked by the tests against the
    // double comparisons).
    static constexpr float kAboveSmallest = 0x1.203af8p-50f; // 9.999999e-16
    static constexpr float kBelowLargest = 0x1.c6bf54p+49f;  // 1.0000001e15
};
