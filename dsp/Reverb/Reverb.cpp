#include "Reverb/Reverb.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>

using SP = SignalProcessing;

Reverb::Reverb (float lateMaxDelayMs, const std::array<float, kLineCount>& lateTimesMs, float earlyMaxDelayMs,
                const std::array<float, kLineCount>& earlyTimesMs)
    : DelayGroup<DelayLineDamped> (lateMaxDelayMs, lateTimesMs),
      earlyReflections (earlyMaxDelayMs, earlyTimesMs),
      earlyInL (kMaxFramesPerBlock, 0.0f),
      earlyInR (kMaxFramesPerBlock, 0.0f),
      feedbackGain (kMaxFramesPerBlock, 0.0f),
      earlyOutL (kMaxFramesPerBlock, 0.0f),
      earlyOutR (kMaxFramesPerBlock, 0.0f),
      roomScale (kMaxFramesPerBlock, 0.0f),
      readTime (kMaxFramesPerBlock, 0.0f)
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

    Memory::copy (colour, delay.cutoff.data(), n);
    SP::div_s (dampingAmount, 100.0f, delay.amount.data(), n);

    SP::mul_s (record.timeMsBuffer.data(), 0.001f, readTime.data(), n);
    delay.reader (0).process (readTime.data(), out, delay.writer (0), n);
    delay.preFeedbackProcess (out, n, 0);
    SP::mul (out, feedbackGain.data(), out, n);
}

void Reverb::processReadDelayLines (float* const* out, unsigned long n, const float* colour, const float* dampingAmount) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (lines.size() < kLineCount)
        return;

    DelayLineDamped* damped[kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        auto& record = lines[i];
        auto& delay = *record.line;
        damped[i] = &delay;
        Memory::copy (colour, delay.cutoff.data(), n);
        SP::div_s (dampingAmount, 100.0f, delay.amount.data(), n);
        SP::mul_s (record.timeMsBuffer.data(), 0.001f, readTime.data(), n);
        delay.reader (0).process (readTime.data(), out[i], delay.writer (0), n);
    }
    DelayLineDamped::preFeedbackProcessFour (damped, out, n, feedbackGain.data());
}

void Reverb::processWriteDelayLine (unsigned long line, const float* input, unsigned long n) noexcept
{
    lines[line].line->writer (0).write (input, n);
}
