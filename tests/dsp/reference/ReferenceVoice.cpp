#include "ReferenceVoice.h"

#include "ReferenceTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

ReferenceVoice::ReferenceVoice (double rate)
    : sampleRate (rate),
      plain (rate),
      post (rate),
      repeating (rate),
      line (static_cast<std::size_t> (rate * 0.2) + 1024)
{
}

void ReferenceVoice::beginChunk (int s, float fine, float windowMs)
{
    semitones = s;
    plain.beginChunk (s, fine, windowMs);
    post.beginChunk (s, fine, windowMs);
    repeating.beginChunk (s, fine, windowMs);
}

float ReferenceVoice::shiftAndMix (bool after, float x, float dry, float amountPercent, float windowMs, float windowGain)
{
    const float wet = (after ? post : plain).tick (x, windowMs, windowGain) * 1.995f;
    const float m = std::clamp (amountPercent * 0.01f, 0.0f, 1.0f);
    return dry * (m * -1.0f + 1.0f) + wet * m;
}

void ReferenceVoice::restShifter (bool after, float x)
{
    (after ? post : plain).rest (x);
}

void ReferenceVoice::restRepeat (float x)
{
    repeating.rest (x);
    line.push (0.0f);
}

float ReferenceVoice::repeat (float x, float windowMs, float windowGain)
{
    // 100 ms between repeats; the feedback grows with the interval, 0.8 at
    // two octaves.
    const float delaySamples = (100.0f * 0.001f) * static_cast<float> (sampleRate);
    const float y = ReferenceTiming::read (line, delaySamples, ReferenceTiming::kInLoop);
    const float feedback = 0.8f * std::sqrt (static_cast<float> (std::abs (semitones)) / 24.0f);
    line.push (repeating.tick (x + y * feedback, windowMs, windowGain));
    return y;
}
