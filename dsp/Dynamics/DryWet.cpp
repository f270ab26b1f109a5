#include "Dynamics/DryWet.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Math/Memory.h"

#include <algorithm>

namespace KarvonDSP
{
DryWet::DryWet()
    : mix (kMaxFramesPerBlock, 0.0f),
      dryGain (kMaxFramesPerBlock, 0.0f),
      wetGain (kMaxFramesPerBlock, 0.0f),
      exponent (kMaxFramesPerBlock, 1.5f)
{
}

void DryWet::process (const float* dry, const float* wet, float* out, unsigned long frames, const float* mixPercent) noexcept
{
    if (dry == nullptr || wet == nullptr || out == nullptr || mixPercent == nullptr)
        return;
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - offset);
        processPiece (dry + offset, wet + offset, out + offset, n, mixPercent + offset);
    }
}

namespace
{
inline float limit (float v, float lo, float hi) noexcept
{
    v = v < lo ? lo : v;
    return v > hi ? hi : v;
}

// The laws without the power curve in one pass, per sample in this order:
// m = clip(mix 0.01, 0, 1); linear: w = m, d = m (-1) + 1; two segments:
// w = clip(m 2, 0, 1), d = clip(m (-2) + 2, 0, 1); then out = dry d + (wet s)
// w, s the wet signal's scale (1 leaves it as it is: x 1 is exact). Whole
// vectors on the vector layer, the rest here. out may be dry or wet (each
// sample is read before it is written), but no other overlap.
void crossfade (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent,
                bool twoSegment, float wetScale = 1.0f) noexcept
{
    unsigned long i = VectorKernels::crossfade (dry, wet, out, n, mixPercent, twoSegment, wetScale);
    for (; i < n; ++i)
    {
        const float m = limit (mixPercent[i] * 0.01f, 0.0f, 1.0f);
        const float w = twoSegment ? limit (m * 2.0f, 0.0f, 1.0f) : m;
        const float d = twoSegment ? limit (m * -2.0f + 2.0f, 0.0f, 1.0f) : m * -1.0f + 1.0f;
        out[i] = dry[i] * d + (wet[i] * wetScale) * w;
    }
}
} // namespace

void DryWet::processScaledWet (const float* dry, float* wet, float wetScale, float* out, unsigned long frames,
                               const float* mixPercent) noexcept
{
    if (dry == nullptr || wet == nullptr || out == nullptr || mixPercent == nullptr)
        return;
    // One pass when the result replaces the wet signal (the scaled copy is
    // then never seen) and the law has no separate power steps.
    if (out != wet || dry == wet || (twoSegment && usePower))
    {
        SignalProcessing::mul_s (wet, wetScale, wet, frames);
        process (dry, wet, out, frames, mixPercent);
        return;
    }
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - offset);
        crossfade (dry + offset, wet + offset, out + offset, n, mixPercent + offset, twoSegment, wetScale);
    }
}

void DryWet::processPiece (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent) noexcept
{
    if (! (twoSegment && usePower))
    {
        crossfade (dry, wet, out, n, mixPercent, twoSegment);
        return;
    }

    float* m = mix.data();
    float* d = dryGain.data();
    float* w = wetGain.data();

    SignalProcessing::mul_s (mixPercent, 0.01f, m, n);
    SignalProcessing::clip (m, 0.0f, 1.0f, m, n);

    if (twoSegment)
    {
        SignalProcessing::mul_s (m, 2.0f, w, n);
        SignalProcessing::clip (w, 0.0f, 1.0f, w, n);
        SignalProcessing::mul_s_add_s (m, -2.0f, 2.0f, d, n);
        SignalProcessing::clip (d, 0.0f, 1.0f, d, n);
        if (usePower)
        {
            SignalProcessing::pow (w, exponent.data(), w, n);
            SignalProcessing::pow (d, exponent.data(), d, n);
        }
    }
    else
    {
        Memory::copy (m, w, n);
        SignalProcessing::mul_s_add_s (m, -1.0f, 1.0f, d, n);
    }

    SignalProcessing::mul_mul_add (dry, d, wet, w, out, n);
}
} // namespace KarvonDSP
