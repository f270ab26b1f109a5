#include "ReferencePitchShifter.h"

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

// The band limit's low-pass prototype (band edge 1): zero, pole magnitude and
// -2 Re(pole) of each section, and the gain that centres its 0.7 dB ripple.
constexpr double kBand[2][3] = { { 6.879060368, 0.582681913, 0.779204022 }, { 2.923117618, 1.012613876, 0.293478507 } };
constexpr double kBandGain = 0.9605058184;

// One section of the prototype by the bilinear transform, its band edge at
// 0.8 Nyquist / ratio, unity at DC times `gain`.
void designBand (ReferenceBiquad& section, const double* p, float ratio, double gain)
{
    const double edge = std::tan (3.14159265358979323846 * 0.4 / static_cast<double> (ratio));
    const double c1 = p[2] * edge, c0 = p[1] * p[1] * edge * edge, z = p[0] * p[0] * edge * edge;
    const double a0 = 1.0 + c1 + c0, g = gain * c0 / z;
    section.b0 = static_cast<float> (g * (1.0 + z) / a0);
    section.b1 = static_cast<float> (2.0 * g * (z - 1.0) / a0);
    section.b2 = section.b0;
    section.a1 = static_cast<float> (2.0 * (c0 - 1.0) / a0);
    section.a2 = static_cast<float> ((1.0 - c1 + c0) / a0);
}
} // namespace

ReferencePitchShifter::ReferencePitchShifter (double rate)
    : sampleRate (rate),
      storage (static_cast<std::size_t> (rate * 5.2))
{
    highPass.design (ReferenceBiquad::HighPass, 40.0f, -8.0f, 0.0f, static_cast<float> (rate));
    lowPass.design (ReferenceBiquad::LowPass, 5000.0f, -8.0f, 0.0f, static_cast<float> (rate));
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
    return ReferenceMaths::tanh (lowPass.tick (highPass.tick (y)));
}

void ReferencePitchShifter::rest (float x)
{
    if (! resting)
    {
        highPass.clear();
        lowPass.clear();
        stopBand();
    }
    resting = true;
    storage.push (std::isfinite (x) ? x : 0.0f);
}

void ReferencePitchShifter::clear()
{
    storage.clear();
    stopBand();
    highPass.clear();
    lowPass.clear();
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
    if (! bandOn || bandFading || chunkRatio != bandRatio)
    {
        designBand (bandFirst, kBand[0], chunkRatio, kBandGain);
        designBand (bandSecond, kBand[1], chunkRatio, 1.0);
        bandRatio = chunkRatio;
    }
    if (! bandOn)
    {
        // As if it had been running on the last two stored samples.
        bandFirst.prime (storage.read (0, 0.0f), storage.read (1, 0.0f));
        bandSecond.prime (storage.read (0, 0.0f), storage.read (1, 0.0f));
    }
    bandOn = true;
    bandFading = false;
}

float ReferencePitchShifter::limitBand (float x)
{
    const float y = bandSecond.tick (bandFirst.tick (x));
    if (! bandFading)
        return y;
    return y + (x - y) * (static_cast<float> (index) * (1.0f / 256.0f));
}

void ReferencePitchShifter::stopBand()
{
    bandOn = bandFading = false;
    bandFirst.clear();
    bandSecond.clear();
}
