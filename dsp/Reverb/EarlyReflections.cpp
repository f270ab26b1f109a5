#include "Reverb/EarlyReflections.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>

using SP = SignalProcessing;

namespace
{
// difference = start - t, then a = start + t (start may be a itself).
void firstRung (const float* t, const float* start, float* a, float* difference, unsigned long n) noexcept
{
    SP::add_sub (start, t, a, difference, n);
}

// firstRung with a updated in place.
void rung (const float* t, float* a, float* difference, unsigned long n) noexcept
{
    firstRung (t, a, a, difference, n);
}
} // namespace

EarlyReflections::EarlyReflections (float maxDelayMs, const std::array<float, kLineCount>& initialTimesMs)
    : DelayGroup<DelayLine> (maxDelayMs, initialTimesMs)
{
}

void EarlyReflections::init (int numChannels, double newSampleRate)
{
    DelayGroup<DelayLine>::init (1, newSampleRate);
    x.assign (kMaxFramesPerBlock, 0.0f);
    tap.assign (kMaxFramesPerBlock, 0.0f);
    for (auto& r : lines)
        r.line->setInterpolation (DelayRead::Linear);
    longestPair = kMaxFramesPerBlock;
    for (const auto& r : lines)
        longestPair = std::min (longestPair, r.line->longestPiece());
}

void EarlyReflections::process (const float* left, const float* right, float* outLeft, float* outRight,
                                unsigned long n) noexcept
{
    if (x.size() < n || lines.size() < kLineCount)
        return;

    // a accumulates the left side in outLeft; each rung delays the running
    // difference and folds it back into both sides. The first rung starts
    // from the inputs themselves (difference = right, a = left).
    float* a = outLeft;
    float* diff = x.data();
    float* t = tap.data();

    // A room size that jumped: each line read at its old time too.
    const auto fadeRead = [this, n] (std::size_t i, float* out) noexcept {
        if (! fade.running())
            return;
        DelayLine& line = *lines[i].line;
        line.reader (0).processMillisecondsAfterWrite (fade.fromTimesMs[i].data(), fade.read.data(), line.writer (0), n);
        fade.mixInto (out, n);
    };
    for (std::size_t i = 0; i < 3; ++i)
    {
        lines[i].line->delayInto (i == 0 ? right : diff, t, n, 0, lines[i].timeMsBuffer.data());
        fadeRead (i, t);
        if (i == 0)
            firstRung (t, left, a, diff, n);
        else
            rung (t, a, diff, n);
    }

    lines[3].line->delayInto (diff, outRight, n, 0, lines[3].timeMsBuffer.data());
    fadeRead (3, outRight);
}

void EarlyReflections::processPair (EarlyReflections& a, const float* leftA, const float* rightA, float* outLeftA,
                                    float* outRightA, EarlyReflections& b, const float* leftB, const float* rightB,
                                    float* outLeftB, float* outRightB, unsigned long n) noexcept
{
    const auto fits = [n] (const EarlyReflections& e) { return ! e.fade.running() && e.x.size() >= n && e.lines.size() >= kLineCount && n <= e.longestPair; };
    if (! fits (a) || ! fits (b))
    {
        a.process (leftA, rightA, outLeftA, outRightA, n);
        b.process (leftB, rightB, outLeftB, outRightB, n);
        return;
    }

    // The steps of process, stage by stage for both: each line stores its
    // input, then the two lines are read together at a's times, finding the
    // positions once.
    float* diffA = a.x.data();
    float* diffB = b.x.data();
    float* tapA = a.tap.data();
    float* tapB = b.tap.data();
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        DelayLine& lineA = *a.lines[i].line;
        DelayLine& lineB = *b.lines[i].line;
        const bool last = i == kLineCount - 1;
        lineA.writer (0).write (i == 0 ? rightA : diffA, n);
        lineB.writer (0).write (i == 0 ? rightB : diffB, n);
        float* out[2] = { last ? outRightA : tapA, last ? outRightB : tapB };
        const float* times[2] = { a.lines[i].timeMsBuffer.data(), a.lines[i].timeMsBuffer.data() };
        const DelayWrite* storages[2] = { &lineA.writer (0), &lineB.writer (0) };
        if (lineA.reader (0).sampleRate != lineB.reader (0).sampleRate
            || lineA.reader (0).interpolationMode != lineB.reader (0).interpolationMode
            || ! lineA.reader (0).processMillisecondsAfterWriteAlike (times, out, storages, 2, n))
        {
            lineA.reader (0).processMillisecondsAfterWrite (times[0], out[0], *storages[0], n);
            lineB.reader (0).processMillisecondsAfterWrite (b.lines[i].timeMsBuffer.data(), out[1], *storages[1], n);
        }
        if (i == 0)
        {
            firstRung (tapA, leftA, outLeftA, diffA, n);
            firstRung (tapB, leftB, outLeftB, diffB, n);
        }
        else if (! last)
        {
            rung (tapA, outLeftA, diffA, n);
            rung (tapB, outLeftB, diffB, n);
        }
    }
}
