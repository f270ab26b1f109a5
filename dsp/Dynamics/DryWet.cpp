#include "Dynamics/DryWet.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
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

void DryWet::processPiece (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent) noexcept
{
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
