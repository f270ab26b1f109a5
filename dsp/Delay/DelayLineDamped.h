#pragma once

#include "Delay/DelayLine.h"
#include "ProcessBlock/Filters/BiquadFilter.h"

#include <vector>

// A DelayLine whose fed-back signal is blended with a low-passed copy of
// itself: the amount (0..1, per sample) sets how much of the high end each
// pass loses, the cutoff (Hz, per sample) where.
class DelayLineDamped : public DelayLine
{
public:
    explicit DelayLineDamped (float maxDelayMs);

    void init (int numChannels, double newSampleRate) override;
    // Silences the storage and the damping filter.
    void clear() noexcept override;
    // Silences the damping filter alone.
    void clearFilter() noexcept { filter.clear(); }

    // x = x + (lowpass(x) - x) * amount, per sample.
    void preFeedbackProcess (float* buffer, unsigned long frames, unsigned long channel) noexcept override;

    // preFeedbackProcess of channel 0 of four different lines, their damping
    // filters running side by side in one pass: the same samples as four
    // calls. With `gain`, each result is then multiplied by it per sample.
    // With `controls` (cutoff in Hz and amount, per sample), every line uses
    // those instead of its own cutoff and amount buffers, as if each held them.
    struct SharedControls
    {
        const float* cutoff;
        const float* amount;
    };
    static void preFeedbackProcessFour (DelayLineDamped* const* lines, float* const* buffers, unsigned long frames,
                                        const float* gain = nullptr, const SharedControls* controls = nullptr) noexcept;
    // preFeedbackProcessFour of two groups of four lines, lines[0..3] with
    // gains[0] and controls[0] and lines[4..7] with gains[1] and controls[1]
    // (each may be null), the eight filters in one pass: the same samples
    // as two calls.
    static void preFeedbackProcessEight (DelayLineDamped* const* lines, float* const* buffers, unsigned long frames,
                                         const float* const* gains, const SharedControls* const* controls) noexcept;

    const float defaultCutoff = 3000.0f; // Hz

    // Filled by the owner before each block: cutoff in Hz and amount 0..1.
    std::vector<float> cutoff;
    std::vector<float> amount;

private:
    // Groups (1 or 2) of four lines, group g with gains[g] and controls[g].
    static void preFeedbackProcessGroups (DelayLineDamped* const* lines, float* const* buffers, unsigned long frames,
                                          const float* const* gains, const SharedControls* const* controls,
                                          int groups) noexcept;

    std::vector<float> resonance; // -3 dB everywhere: a Butterworth-like Q
    BiquadFilter filter;
    std::vector<float> filterWork;
};
