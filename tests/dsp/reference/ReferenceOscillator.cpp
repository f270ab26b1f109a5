#include "ReferenceOscillator.h"

#include <algorithm>
#include "ReferenceMaths.h"

#include <cmath>

namespace
{
float frac (float x)
{
    return x - std::trunc (x);
}
constexpr float kTwoPi = 6.28318530717958647692f;
constexpr float kHalfPi = 1.57079632679489661923f;
// Output i starts i quarter cycles later.
constexpr std::array<float, ReferenceOscillator::kOutputs> kOffsets { 0.0f, 0.25f, 0.5f, 0.75f };
} // namespace

ReferenceOscillator::ReferenceOscillator (double rate)
    : sampleRate (rate)
{
}

void ReferenceOscillator::beginChunk (float rateHz)
{
    if (started)
        for (int o = 0; o < kOutputs; ++o)
            phases[o] = frac (step + lastUnfolded[o]);
    started = true;

    const float rate = std::clamp (rateHz, 0.0625f, 40.0f);
    const float periodMs = 1000.0f / rate;
    const float frequency = 1.0f / (periodMs * 0.001f);
    step = frequency / static_cast<float> (sampleRate);
    index = 0;
}

std::array<float, ReferenceOscillator::kOutputs> ReferenceOscillator::tick (float amountPercent)
{
    const float g = amountPercent * 0.01f;
    std::array<float, kOutputs> out {};
    for (int o = 0; o < kOutputs; ++o)
    {
        const float unfolded = frac (phases[o] + static_cast<float> (index) * step);
        lastUnfolded[o] = unfolded;
        // Output 0 takes only negative offsets, the others only non-negative ones.
        const float p = o == 0 ? unfolded : frac ((unfolded + kOffsets[o]) + 1.0f);
        out[o] = ReferenceMaths::sin (p * kTwoPi + -kHalfPi) * (g * g);
    }
    ++index;
    return out;
}
