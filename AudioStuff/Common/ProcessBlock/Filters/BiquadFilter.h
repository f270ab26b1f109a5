#pragma once

#include "Math/Accelerate/BiquadHistory.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"
#include "ProcessBlock/Filters/BiquadFilterType.h"
#include "ProcessBlock/ProcessBlock.h"

#include <memory>
#include <vector>

// A cascade of identical second-order sections per channel. Coefficients are
// recomputed only when frequency, resonance, gain or type change, at most once
// per piece of subBlockSize samples (when both frequency and resonance move).
class BiquadFilter : public MultiChannelProcessBlock<BiquadFilterParameters>
{
public:
    BiquadFilter();

    // Recreates every history (stages x channels) for the new layout.
    void init (int numChannels, double newSampleRate) override;
    void clear() noexcept override;
    // A new type restarts the histories; the same type does nothing.
    void setType (BiquadFilterType type) noexcept;

    void process (float* buffer, unsigned long frames, unsigned long channel, BiquadFilterParameters p) noexcept override;
    void process (float* buffer, unsigned long frames, unsigned long channel,
                  float* frequencyBuffer, float* resonanceBuffer, float* gainBuffer) noexcept;

    // Channels 0 and 1 of this filter in one pass, their recursions
    // overlapping: the same samples as process on each channel in turn.
    void processStereo (float* first, float* second, unsigned long frames, BiquadFilterParameters parameters) noexcept;
    // Four different filters (channel `channel` of each) side by side in one
    // pass, in[j] filtered into out[j] (the same buffer, or one that no other
    // input uses): the same samples as copying each input to its output and
    // calling process on it.
    static void processFour (BiquadFilter* const* filters, const float* const* in, float* const* out,
                             unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept;
    // processFour of filters 0..3 and of filters 4..7, the two groups'
    // recursions overlapping: the same samples as two processFour calls.
    static void processEight (BiquadFilter* const* filters, const float* const* in, float* const* out,
                              unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept;

    // History of stage s and channel c at s * channels + c.
    std::vector<std::unique_ptr<BiquadHistory>> states;
    BiquadFilterType filterType = LowPass;
    int stages = 1;
    float lastFrequency = 0.0f;
    float lastResonance = 0.0f;
    float lastGain = 0.0f;
    BiquadFilterType lastType = LowPass;
    BiquadCoefficients coefficients;

private:
    // `count` filters side by side (channel `channel` of each), in[j] through
    // filters[j] into out[j], in the vector layer's lanes where each is a
    // single piece; else filter by filter.
    static void processLanes (BiquadFilter* const* filters, const float* const* in, float* const* out,
                              unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters,
                              int count) noexcept;
    void processFilter (float* buffer, unsigned long n, unsigned long channel, float frequency, float resonance, float gain) noexcept;
    // The one-pass forms run these for every filter on every call, mostly
    // with nothing to recompute: inline, so that the check costs a few
    // comparisons and only a change calls out.
    void updateCoefficients (float frequency, float resonance, float gain) noexcept
    {
        if (! coefficientsValid || frequency != lastFrequency || resonance != lastResonance || gain != lastGain
            || filterType != lastType)
            recalculate (frequency, resonance, gain);
    }
    void recalculate (float frequency, float resonance, float gain) noexcept;
    // The block is a single piece with one stage on an initialised channel:
    // the case the one-pass forms handle themselves.
    bool singlePiece (unsigned long frames, unsigned long channel, const BiquadFilterParameters& p) const noexcept
    {
        const bool moving = p.frequencyBuffer != nullptr && p.resonanceBuffer != nullptr;
        return stages == 1 && channel < static_cast<unsigned long> (channels) && (! moving || subBlockSize >= frames)
               && channel < states.size() && states[channel] != nullptr;
    }
    BiquadHistory* history (unsigned long channel) noexcept { return states[channel].get(); }
    static void firstValues (const BiquadFilterParameters& p, float& frequency, float& resonance, float& gain) noexcept
    {
        frequency = p.frequencyBuffer != nullptr ? p.frequencyBuffer[0] : p.frequency;
        resonance = p.resonanceBuffer != nullptr ? p.resonanceBuffer[0] : p.resonance;
        gain = p.gainBuffer != nullptr ? p.gainBuffer[0] : p.gain;
    }
    bool coefficientsValid = false;
};
