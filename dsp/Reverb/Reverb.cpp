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
    const DelayLineDamped::SharedControls controls = convertControls (colour, dampingAmount, n);
    readLines (out, n);
    DelayLineDamped* damped[kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
        damped[i] = lines[i].line.get();
    DelayLineDamped::preFeedbackProcessFour (damped, out, n, feedbackGain.data(), &controls);
}

DelayLineDamped::SharedControls Reverb::convertControls (const float* colour, const float* dampingAmount,
                                                         unsigned long n) noexcept
{
    DelayLineDamped& first = *lines[0].line;
    dampingControls (colour, dampingAmount, first.cutoff.data(), first.amount.data(), n);
    return { first.cutoff.data(), first.amount.data() };
}

bool Reverb::linesAlike (const Reverb& other) const noexcept
{
    const DelayRead& first = lines[0].line->reader (0);
    const auto alike = [&first] (const Record& r) {
        return r.line->reader (0).sampleRate == first.sampleRate && r.line->reader (0).interpolationMode == first.interpolationMode;
    };
    return std::all_of (lines.begin(), lines.end(), alike) && std::all_of (other.lines.begin(), other.lines.end(), alike);
}

void Reverb::readLines (float* const* out, unsigned long n) noexcept
{
    const float* times[kLineCount];
    const DelayWrite* storages[kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        times[i] = lines[i].timeMsBuffer.data();
        storages[i] = &lines[i].line->writer (0);
    }
    // The lines are written alike: where the reader can, all four in one call.
    DelayRead& reader = lines[0].line->reader (0);
    if (! linesAlike (*this) || ! reader.processMillisecondsAlike (times, out, storages, static_cast<int> (kLineCount), n))
        for (std::size_t i = 0; i < kLineCount; ++i)
            lines[i].line->reader (0).processMilliseconds (times[i], out[i], *storages[i], n);
    // A room size that jumped: each line read at its old times too.
    if (fade.running())
        for (std::size_t i = 0; i < kLineCount; ++i)
        {
            lines[i].line->reader (0).processMilliseconds (fade.fromTimesMs[i].data(), fade.read.data(), *storages[i], n);
            fade.mixInto (out[i], n);
        }
}

void Reverb::processReadDelayLinesPair (Reverb& a, float* const* outA, const float* colourA, const float* dampingA,
                                        Reverb& b, float* const* outB, const float* colourB, const float* dampingB,
                                        unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (a.lines.size() < kLineCount || b.lines.size() < kLineCount)
    {
        a.processReadDelayLines (outA, n, colourA, dampingA);
        b.processReadDelayLines (outB, n, colourB, dampingB);
        return;
    }

    // Line i of both networks at a's times i, next to each other: the reader
    // finds their positions once.
    const float* times[2 * kLineCount];
    const DelayWrite* storages[2 * kLineCount];
    float* out[2 * kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        times[2 * i] = times[2 * i + 1] = a.lines[i].timeMsBuffer.data();
        storages[2 * i] = &a.lines[i].line->writer (0);
        storages[2 * i + 1] = &b.lines[i].line->writer (0);
        out[2 * i] = outA[i];
        out[2 * i + 1] = outB[i];
    }
    DelayRead& reader = a.lines[0].line->reader (0);
    if (a.fade.running() || b.fade.running() || ! a.linesAlike (b) || ! reader.processMillisecondsAlike (times, out, storages, static_cast<int> (2 * kLineCount), n))
    {
        a.readLines (outA, n);
        b.readLines (outB, n);
    }

    // Both networks' damping filters in one pass.
    const DelayLineDamped::SharedControls controlsA = a.convertControls (colourA, dampingA, n);
    const DelayLineDamped::SharedControls controlsB = b.convertControls (colourB, dampingB, n);
    DelayLineDamped* damped[2 * kLineCount];
    float* buffers[2 * kLineCount];
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        damped[i] = a.lines[i].line.get();
        damped[kLineCount + i] = b.lines[i].line.get();
        buffers[i] = outA[i];
        buffers[kLineCount + i] = outB[i];
    }
    const float* gains[2] = { a.feedbackGain.data(), b.feedbackGain.data() };
    const DelayLineDamped::SharedControls* controls[2] = { &controlsA, &controlsB };
    DelayLineDamped::preFeedbackProcessEight (damped, buffers, n, gains, controls);
}

void Reverb::alignWritePositions (const Reverb& other) noexcept
{
    const auto align = [] (auto& mine, const auto& theirs) {
        for (std::size_t i = 0; i < std::min (mine.size(), theirs.size()); ++i)
        {
            auto& line = *mine[i].line;
            const auto& model = *theirs[i].line;
            for (unsigned long c = 0; c < std::min (line.channelCount(), model.channelCount()); ++c)
                if (line.writer (c).size == model.writer (c).size)
                    line.writer (c).writeIndex = model.writer (c).writeIndex;
        }
    };
    align (lines, other.lines);
    align (earlyReflections.lines, other.earlyReflections.lines);
}

void Reverb::processWriteDelayLine (unsigned long line, const float* input, unsigned long n) noexcept
{
    lines[line].line->writer (0).write (input, n);
}
