#pragma once

#include "ProcessBlock/ProcessBlock.h"

#include <vector>

namespace KarvonDSP
{
// A crossfader between a dry and a wet signal, the mix given per sample in
// percent. The two-segment law keeps both signals at full level up to 50 %
// and then fades the other one out (optionally on a power curve); the linear
// law is a plain crossfade.
class DryWet : public ProcessBlock
{
public:
    DryWet();

    void clear() noexcept override {}

    // out = dry * dryGain + wet * wetGain; out may be dry or wet (but no
    // other overlap).
    void process (const float* dry, const float* wet, float* out, unsigned long frames, const float* mixPercent) noexcept;
    // wet = wet x wetScale in place, then process (dry, wet, out, ...): the
    // scaling is folded into the crossfade's pass when out is wet.
    void processScaledWet (const float* dry, float* wet, float wetScale, float* out, unsigned long frames,
                           const float* mixPercent) noexcept;

    std::vector<float> mix;
    std::vector<float> dryGain;
    std::vector<float> wetGain;
    std::vector<float> exponent; // 1.5: the power curve of the two-segment law
    bool twoSegment = true;
    bool usePower = true;

private:
    void processPiece (const float* dry, const float* wet, float* out, unsigned long n, const float* mixPercent) noexcept;
};
} // namespace KarvonDSP
