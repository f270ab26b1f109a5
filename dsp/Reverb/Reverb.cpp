#include "Reverb/Reverb.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>

using SP = SignalProcessing;

namespace
{
// The line's damping controls from the owner's: cutoff = colour (Hz), amount
// = damping / 100, in one pass.
void dampingControls (const float* __restrict colour, const float* __restrict damping, float* __restrict cutoff,
                      float* __restrict amount, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        cutoff[i] = colour[i];
        amount[i] = damping[i] / 100.0f;
    }
}
} // namespace

Reverb::Reverb (float lateMaxDelayMs, const std::array<float, kLineCount>& lateTimesMs, float earlyMaxDelayMs,
                const std::array<float, kLineCount>& earlyTimesMs)
    : DelayGroup<DelayLineDamped> (lateMaxDelayMs, lateTimesMs),
      earlyReflections (earlyMaxDelayMs, earlyTimesMs),
      earlyInL (kMaxFramesPerBlock, 0.0f),
      earlyInR (kMaxFramesPerBlock, 0.0f),
      feedbackGain (kMaxFramesPerBlock, 0.0f),
      earlyOutL (kMaxFramesPerBlock, 0.0f),
      earlyOutR (kMaxFramesPerBlock, 0.0f),
      roomScale (kMaxFramesPerBlock, 0.0f)
{
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        lineOut[i].assign (kMaxFramesPerBlock, 0.0f);
        sum[i].assign (kMaxFramesPerBlock, 0.0f);
        mix[i].assign (kMaxFramesPerBlock, 0.0f);
    }
}

void Reverb::clear() noexcept
{
    DelayGroup<DelayLineDamped>::clear();
    // A cleared reverb must not replay the last few milliseconds it heard.
    earlyReflections.clear();
}

void Reverb::processReadDelayLine (unsigned long line, float* out, unsigned long n, const float* colour,
                                   const float* dampingAmount) noexcept
{
    auto& record = lines[line];
    auto& delay = *record.line;
    n = std::min (n, kMaxFramesPerBlock);

    dampingControls (colour, dampingAmount, delay.cutoff.data(), delay.amount.data(), n);
    delay.reader (0).processMilliseconds (record.timeMsBuffer.data(), out, delay.writer (0), n);
    delay.preFeedbackProcess (out, n, 0);
    SP::mul (out, feedbackGain.data(), out, n);
}

void Reverb::processReadDelayLines (float* const* out, unsigned long n, const float* colour, const float* dampingAmount) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (lines.size() < kLineCount)
        return;

    // Every line is damped alike: the controls are converted once, into the
    // first line's buffers, and the four lines read them there.
    DelayLineDamped* damped[kLineCount];
    DelayLineDamped& first = *lines[0].line;
    dampingControls (colour, dampingAmount, first.cutoff.data(), first.amount.data(), n);
    const DelayLineDamped::SharedControls controls { first.cutoff.data(), first.amount.data() };
    const float* times[kLineCount];
    const DelayWrite* storages[kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        damped[i] = lines[i].line.get();
        times[i] = lines[i].timeMsBuffer.data();
        storages[i] = &damped[i]->writer (0);
    }
    // The lines are written alike: where the reader can, all four in one call.
    const bool alike = std::all_of (damped, damped + kLineCount, [first = damped[0]] (DelayLineDamped* d) {
        return d->reader (0).sampleRate == first->reader (0).sampleRate
               && d->reader (0).interpolationMode == first->reader (0).interpolationMode;
    });
    if (! alike || ! first.reader (0).processMillisecondsAlike (times, out, storages, static_cast<int> (kLineCount), n))
        for (std::size_t i = 0; i < kLineCount; ++i)
            damped[i]->reader (0).processMilliseconds (times[i], out[i], *storages[i], n);
    DelayLineDamped::preFeedbackProcessFour (damped, out, n, feedbackGain.data(), &controls);
}

void Reverb::processWriteDelayLine (unsigned long line, const float* input, unsigned long n) noexcept
{
    lines[line].line->writer (0).write (input, n);
}
