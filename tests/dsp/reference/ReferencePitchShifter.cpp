#include "ReferencePitchShifter.h"

#include "ReferenceBiquad.h"
#include "ReferenceTiming.h"

#include "ReferenceMaths.h"

#include <cmath>

namespace
{
float frac (float x)
{
    return x - std::trunc (x);
}
// Note 60 is middle C: the ratio of an interval is freq(60 + interval) / freq(60).
float noteToHz (float note)
{
    return 8.175799f * std::exp (0.057762265f * note);
}
constexpr float kHalfTurn = 3.14159265358979f;

} // namespace

ReferencePitchShifter::ReferencePitchShifter (double rate)
    : sampleRate (rate),
      storage (static_cast<std::size_t> (rate * 5.2))
{
    ReferenceBiquad high, low;
    high.design (ReferenceBiquad::HighPass, 40.0f, -8.0f, 0.0f, static_cast<float> (rate));
    low.design (ReferenceBiquad::LowPass, 5000.0f, -8.0f, 0.0f, static_cast<float> (rate));
    output.startSections ({ high.b0, high.b1, high.b2, high.a1, high.a2 }, { low.b0, low.b1, low.b2, low.a1, low.a2 });
}

void ReferencePitchShifter::beginChunk (int semitones, float fine, float windowMs)
{
    // The phase moves on through the chunks the shifter is heard in.
    if (ticked)
        phase = frac (lastUnfolded + increment);
    ticked = false;

    const float ratio = noteToHz (static_cast<float> (semitones) + 60.0f + fine) / 261.62558f;
    chunkRatio = ratio;
    const float windowSeconds = windowMs * 0.001f;
    increment = static_cast<float> (((1.0f - ratio) / windowSeconds) / sampleRate);
    shortestSeconds = ReferenceTiming::kShifterShortestSeconds;
    index = 0;
}

float ReferencePitchShifter::tick (float x, float windowMs, float windowGain)
{
    ticked = true;
    resting = false;
    const float unfolded = frac (phase + static_cast<float> (index++) * increment);
    lastUnfolded = unfolded;
    const float a = frac (unfolded + 1.0f);
    const float b = frac (a + 1.5f);
    const float delayA = a * windowMs * 0.001f + shortestSeconds;
    const float delayB = b * windowMs * 0.001f + shortestSeconds;
    const float windowA = ReferenceMaths::cos ((a + -0.5f) * kHalfTurn) * windowGain;
    const float windowB = ReferenceMaths::cos ((b + -0.5f) * kHalfTurn) * windowGain;

    if (index == 1)
        beginBand();
    x = std::isfinite (x) ? x : 0.0f;
    storage.push (bandOn ? limitBand (x) : x);
    const auto rate = static_cast<float> (sampleRate);
    const float tapA = ReferenceTiming::read (storage, delayA * rate, ReferenceTiming::kAfterWrite);
    const float tapB = ReferenceTiming::read (storage, delayB * rate, ReferenceTiming::kAfterWrite);

    const float y = windowA * tapA + windowB * tapB;
    return ReferenceMaths::tanh (output.tick (y));
}

void ReferencePitchShifter::rest (float x)
{
    if (! resting)
    {
        output.clear();
        stopBand();
    }
    resting = true;
    storage.push (std::isfinite (x) ? x : 0.0f);
}

void ReferencePitchShifter::clear()
{
    storage.clear();
    stopBand();
    output.clear();
}

void ReferencePitchShifter::beginBand()
{
    if (! (chunkRatio > 1.0f))
    {
        bandFading = bandOn && ! bandFading;
        bandOn = bandFading;
        if (! bandOn)
            stopBand();
        return;
    }
    if (! bandOn)
        // As if it had been running on the last two stored samples.
        band.start (chunkRatio, storage.read (0, 0.0f), storage.read (1, 0.0f));
    else if (chunkRatio != bandRatio)
        band.redesign (chunkRatio);
    bandRatio = chunkRatio;
    bandOn = true;
    bandFading = false;
}

float ReferencePitchShifter::limitBand (float x)
{
    const float y = band.tick (x);
    if (! bandFading)
        return y;
    return y + (x - y) * (static_cast<float> (index) * (1.0f / 256.0f));
}

void ReferencePitchShifter::stopBand()
{
    bandOn = bandFading = false;
    band.clear();
}
