#include "Delay/DelayLineDamped.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>

namespace
{
constexpr float kResonanceDb = -3.0f; // Q = 10^(-3/20), close to Butterworth

// x = (low - x) amount + x, then x = x gain when a gain is given: the steps
// of preFeedbackProcess (and of the owner's scaling) in one pass.
void blend (const float* low, const float* amount, const float* gain, float* x, unsigned long n) noexcept
{
    if (gain == nullptr)
        SignalProcessing::lerp (x, low, amount, x, n);
    else
        SignalProcessing::lerp_mul (x, low, amount, gain, x, n);
}
} // namespace

DelayLineDamped::DelayLineDamped (float maxDelayMs_)
    : DelayLine (maxDelayMs_),
      cutoff (kMaxFramesPerBlock, defaultCutoff),
      amount (kMaxFramesPerBlock, 0.0f),
      resonance (kMaxFramesPerBlock, kResonanceDb),
      filterWork (kMaxFramesPerBlock, 0.0f)
{
    filter.setType (LowPass);
}

void DelayLineDamped::init (int numChannels, double newSampleRate)
{
    DelayLine::init (numChannels, newSampleRate);
    filter.init (numChannels, newSampleRate);
    // One set of coefficients per call, from the first cutoff of the block.
    filter.subBlockSize = kMaxFramesPerBlock;
    std::fill (filterWork.begin(), filterWork.end(), 0.0f);
    // The cutoff is read in Hz, so the default is stored in Hz too.
    std::fill (cutoff.begin(), cutoff.end(), defaultCutoff);
    std::fill (amount.begin(), amount.end(), 0.0f);
}

void DelayLineDamped::clear() noexcept
{
    DelayLine::clear();
    filter.clear();
}

void DelayLineDamped::preFeedbackProcess (float* x, unsigned long frames, unsigned long channel) noexcept
{
    if (x == nullptr || channel >= writes.size())
        return;

    // The control buffers hold one block; longer calls reuse them per piece.
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - offset);
        float* piece = x + offset;
        float* low = filterWork.data();
        Memory::copy (piece, low, n);
        filter.process (low, n, channel, cutoff.data(), resonance.data(), nullptr);
        blend (low, amount.data(), nullptr, piece, n);
    }
}

void DelayLineDamped::preFeedbackProcessFour (DelayLineDamped* const* lines, float* const* x, unsigned long frames,
                                              const float* gain, const SharedControls* controls) noexcept
{
    const float* gains[1] = { gain };
    const SharedControls* shared[1] = { controls };
    preFeedbackProcessGroups (lines, x, frames, gains, shared, 1);
}

void DelayLineDamped::preFeedbackProcessEight (DelayLineDamped* const* lines, float* const* x, unsigned long frames,
                                               const float* const* gains, const SharedControls* const* controls) noexcept
{
    preFeedbackProcessGroups (lines, x, frames, gains, controls, 2);
}

void DelayLineDamped::preFeedbackProcessGroups (DelayLineDamped* const* lines, float* const* x, unsigned long frames,
                                                const float* const* gains, const SharedControls* const* controls,
                                                int groups) noexcept
{
    const int count = 4 * groups;
    bool together = frames <= kMaxFramesPerBlock;
    for (int j = 0; j < count && together; ++j)
        together = x[j] != nullptr && ! lines[j]->writes.empty();
    if (! together)
    {
        for (int j = 0; j < count; ++j)
        {
            const SharedControls* shared = controls[j / 4];
            const float* gain = gains[j / 4];
            if (shared != nullptr && x[j] != nullptr && frames <= kMaxFramesPerBlock)
            {
                std::copy (shared->cutoff, shared->cutoff + frames, lines[j]->cutoff.begin());
                std::copy (shared->amount, shared->amount + frames, lines[j]->amount.begin());
            }
            lines[j]->preFeedbackProcess (x[j], frames, 0);
            if (gain != nullptr && x[j] != nullptr)
                SignalProcessing::mul (x[j], gain, x[j], frames);
        }
        return;
    }

    BiquadFilter* filters[8] {};
    const float* in[8] {};
    float* low[8] {};
    BiquadFilterParameters parameters[8];
    for (int j = 0; j < count; ++j)
    {
        DelayLineDamped& line = *lines[j];
        const SharedControls* shared = controls[j / 4];
        filters[j] = &line.filter;
        in[j] = x[j];
        low[j] = line.filterWork.data();
        float* cutoff = shared != nullptr ? const_cast<float*> (shared->cutoff) : line.cutoff.data();
        parameters[j] = BiquadFilterParameters { 0.0f, cutoff, 0.0f, line.resonance.data(), 0.0f, nullptr };
    }
    if (groups == 2)
        BiquadFilter::processEight (filters, in, low, frames, 0, parameters);
    else
        BiquadFilter::processFour (filters, in, low, frames, 0, parameters);
    for (int j = 0; j < count; ++j)
    {
        const SharedControls* shared = controls[j / 4];
        blend (low[j], shared != nullptr ? shared->amount : lines[j]->amount.data(), gains[j / 4], x[j], frames);
    }
}
