#include "Pitch/Shifter.h"

#include "Math/Accelerate/ScopedFlushDenormals.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using SP = SignalProcessing;

namespace
{
// Feedback gain of the repeating delay at +-24 semitones; it falls with the
// square root of the interval so that an unshifted voice does not repeat.
constexpr float kLargestFeedback = 0.8f;
constexpr float kWidestInterval = 24.0f;

// out = x + y g in one pass (y g first).
void addScaled (const float* __restrict x, const float* __restrict y, float g, float* __restrict out, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        out[i] = x[i] + y[i] * g;
}
} // namespace

Shifter::Shifter()
    : amountStorage (kMaxFramesPerBlock, 0.0f)
{
    amount = amountStorage.data();
    for (std::size_t c = 0; c < kMaxChannels; ++c)
    {
        feedbackStorage[c].assign (kMaxFramesPerBlock, 0.0f);
        delayedPair[c].assign (kMaxFramesPerBlock, 0.0f);
        lineInputPair[c].assign (kMaxFramesPerBlock, 0.0f);
        voiceStorage[c].assign (kMaxFramesPerBlock, 0.0f);
        feedback[c] = feedbackStorage[c].data();
        voice[c] = voiceStorage[c].data();
    }
}

void Shifter::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    dryWet.init (numChannels, newSampleRate);
    delayShifter.init (numChannels, newSampleRate);
    for (int i = 0; i < std::clamp (count, 0, kMaxChannels); ++i)
    {
        pitchShifters[static_cast<std::size_t> (i)].init (numChannels, newSampleRate);
        postShifters[static_cast<std::size_t> (i)].init (numChannels, newSampleRate);
    }
    dryWet.twoSegment = false;

    // A feedback return from before the new layout must not leak into it.
    for (auto& f : feedbackStorage)
        std::fill (f.begin(), f.end(), 0.0f);
    ownDelayPositions = {};
}

void Shifter::clear() noexcept
{
    delayShifter.clear();
    for (auto& f : feedbackStorage)
        std::fill (f.begin(), f.end(), 0.0f);
    ownDelayPositions = {};
    for (int i = 0; i < std::clamp (count, 0, kMaxChannels); ++i)
    {
        pitchShifters[static_cast<std::size_t> (i)].clear();
        postShifters[static_cast<std::size_t> (i)].clear();
    }
}

void Shifter::setPitch (int semitones) noexcept
{
    pitch.store (semitones, std::memory_order_relaxed);
    // Every shifter, not only the ones the current layout uses: a later
    // prepare with more channels must not find a stale interval.
    for (auto& s : delayShifter.shifters)
        s.semitones.store (semitones, std::memory_order_relaxed);
    for (auto& s : pitchShifters)
        s.semitones.store (semitones, std::memory_order_relaxed);
    for (auto& s : postShifters)
        s.semitones.store (semitones, std::memory_order_relaxed);
}

void Shifter::setFine (float semitones) noexcept
{
    fine.store (semitones, std::memory_order_relaxed);
    // Every shifter, not only the ones the current layout uses: a later
    // prepare with more channels must not find a stale interval.
    for (auto& s : delayShifter.shifters)
        s.fine.store (semitones, std::memory_order_relaxed);
    for (auto& s : pitchShifters)
        s.fine.store (semitones, std::memory_order_relaxed);
    for (auto& s : postShifters)
        s.fine.store (semitones, std::memory_order_relaxed);
}

void Shifter::setWindowMs (float* windowMs, const float* gain) noexcept
{
    for (auto& s : pitchShifters)
        s.windowMs = windowMs, s.windowGain = gain;
    for (auto& s : postShifters)
        s.windowMs = windowMs, s.windowGain = gain;
    for (auto& s : delayShifter.shifters)
        s.windowMs = windowMs, s.windowGain = gain;
}

void Shifter::processDelayShifter (unsigned long start, unsigned long channel, unsigned long n) noexcept
{
    if (channel >= kMaxChannels)
        return;
    auto& position = ownDelayPositions[channel];
    processDelayShifter (start, channel, n, position);
    position = (position + n) % PitchShifter::kChunkLength;
}

void Shifter::processDelayShifter (unsigned long start, unsigned long channel, unsigned long n, unsigned long gridPosition) noexcept
{
    // The repeats decay through the whole float range.
    const ScopedFlushDenormals noDenormals;
    if (channel >= static_cast<unsigned long> (delayShifter.activeChannels()) || start >= kMaxFramesPerBlock)
        return;
    n = std::min (n, kMaxFramesPerBlock - start);
    if (n == 0)
        return;

    auto& d = delayShifter;
    auto& shifter = d.shifters[channel];
    float* x = voice[channel];
    float* y = d.delayed.data();
    float* lineIn = d.lineInput.data();

    // Read before writing: the repeat sits a fixed 100 ms (plus the line's
    // offset) behind the input.
    d.line.reader (channel).processMilliseconds (d.delayTimeMs.data(), y, d.line.writer (channel), n);

    const float feedbackGain = heldFeedbackGain (channel, gridPosition);

    // Each pass through the line is shifted once more: lineIn = x + y g.
    addScaled (x, y, feedbackGain, lineIn, n);
    shifter.process (lineIn, n, gridPosition);
    d.line.writer (channel).write (lineIn, n);

    Memory::copy (y, x, n);
    if (keepsFeedback)
        Memory::copy (y, feedback[channel] + start, n);
}

void Shifter::processDelayShifters (unsigned long start, unsigned long n) noexcept
{
    // Each channel counts its own calls: only channels at the same place go together.
    if (ownDelayPositions[0] != ownDelayPositions[1])
    {
        for (int c = 0; c < delayShifter.activeChannels(); ++c)
            processDelayShifter (start, static_cast<unsigned long> (c), n);
        return;
    }
    const unsigned long position = ownDelayPositions[0];
    processDelayShifters (start, n, position);
    ownDelayPositions.fill ((position + n) % PitchShifter::kChunkLength);
}

void Shifter::processDelayShifters (unsigned long start, unsigned long n, unsigned long gridPosition) noexcept
{
    const ScopedFlushDenormals noDenormals;
    if (! delayPairFits (start))
    {
        for (int c = 0; c < delayShifter.activeChannels(); ++c)
            processDelayShifter (start, static_cast<unsigned long> (c), n, gridPosition);
        return;
    }
    n = std::min (n, kMaxFramesPerBlock - start);
    if (n == 0)
        return;

    // The steps of processDelayShifter, channel by channel around the one
    // pass of both shifters.
    enterDelayPair (n, gridPosition);
    auto& d = delayShifter;
    PitchShifter::processPair (d.shifters[0], d.shifters[1], lineInputPair[0].data(), lineInputPair[1].data(), n, gridPosition);
    leaveDelayPair (start, n);
}

bool Shifter::delayPairFits (unsigned long start) const noexcept
{
    return delayShifter.activeChannels() == 2 && start < kMaxFramesPerBlock;
}

void Shifter::enterDelayPair (unsigned long n, unsigned long gridPosition) noexcept
{
    auto& d = delayShifter;
    // Both channels' lines are written alike and read at the same time:
    // where the reader can, in one call that finds the positions once.
    const float* times[2] = { d.delayTimeMs.data(), d.delayTimeMs.data() };
    float* delayed[2] = { delayedPair[0].data(), delayedPair[1].data() };
    const DelayWrite* storages[2] = { &d.line.writer (0), &d.line.writer (1) };
    const bool alike = d.line.reader (0).sampleRate == d.line.reader (1).sampleRate
                       && d.line.reader (0).interpolationMode == d.line.reader (1).interpolationMode;
    if (! alike || ! d.line.reader (0).processMillisecondsAlike (times, delayed, storages, 2, n))
        for (unsigned long c = 0; c < 2; ++c)
            d.line.reader (c).processMilliseconds (times[c], delayed[c], *storages[c], n);
    for (unsigned long c = 0; c < 2; ++c)
        addScaled (voice[c], delayed[c], heldFeedbackGain (c, gridPosition), lineInputPair[c].data(), n);
}

void Shifter::leaveDelayPair (unsigned long start, unsigned long n) noexcept
{
    for (unsigned long c = 0; c < 2; ++c)
    {
        delayShifter.line.writer (c).write (lineInputPair[c].data(), n);
        Memory::copy (delayedPair[c].data(), voice[c], n);
        if (keepsFeedback)
            Memory::copy (delayedPair[c].data(), feedback[c] + start, n);
    }
}

float Shifter::heldFeedbackGain (unsigned long channel, unsigned long gridPosition) noexcept
{
    // Taken from the interval at each chunk's start and held for the chunk.
    // A call never crosses a chunk's end (the kernel cuts its sub-blocks on
    // its grid); a longer one takes the gain of the chunk it starts in.
    if (gridPosition % PitchShifter::kChunkLength == 0)
    {
        const auto& shifter = delayShifter.shifters[channel];
        const float interval = static_cast<float> (std::abs (shifter.semitones.load (std::memory_order_relaxed)));
        delayFeedbackGain[channel] = kLargestFeedback * std::sqrt (interval / kWidestInterval);
    }
    return delayFeedbackGain[channel];
}

void Shifter::restDelayShifters (const float* const* inputs, unsigned long n) noexcept
{
    const int channelCount = delayShifter.activeChannels();
    for (int c = 0; c < channelCount; ++c)
    {
        const auto ch = static_cast<std::size_t> (c);
        delayShifter.shifters[ch].rest (inputs[c], n);
        delayShifter.line.writer (ch).writeSilence (n);
    }
}

void Shifter::restShifters (bool after, const float* const* inputs, int channelCount, unsigned long n) noexcept
{
    auto& shifters = after ? postShifters : pitchShifters;
    const int used = std::min (channelCount, std::clamp (count, 0, kMaxChannels));
    for (int c = 0; c < used; ++c)
        shifters[static_cast<std::size_t> (c)].rest (inputs[c], n);
}

void Shifter::shiftChannels (int channelCount, unsigned long n, bool after) noexcept
{
    auto& shifters = after ? postShifters : pitchShifters;
    if (channelCount >= 2)
    {
        PitchShifter::processPair (shifters[0], shifters[1], voice[0], voice[1], n);
        return;
    }
    if (channelCount == 1)
        shifters[0].process (voice[0], n);
}

void Shifter::shiftChannels (int channelCount, unsigned long n, bool after, unsigned long gridPosition) noexcept
{
    auto& shifters = after ? postShifters : pitchShifters;
    if (channelCount >= 2)
    {
        PitchShifter::processPair (shifters[0], shifters[1], voice[0], voice[1], n, gridPosition);
        return;
    }
    if (channelCount == 1)
        shifters[0].process (voice[0], n, gridPosition);
}
