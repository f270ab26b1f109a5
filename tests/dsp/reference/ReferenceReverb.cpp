#include "ReferenceReverb.h"

#include "ReferenceTiming.h"

#include <cmath>

namespace
{
float roomScale (float roomSize)
{
    return (roomSize + 20.0f) / 32.046154f;
}
} // namespace

ReferenceReverb::ReferenceReverb (double rate)
    : sampleRate (rate),
      early (rate)
{
    for (auto& l : lines)
        l = ReferenceLine (static_cast<std::size_t> (rate * 0.7));
}

void ReferenceReverb::beginChunk (float lengthSeconds, float colourHz, float roomSize, long frames)
{
    // 60 dB down after lengthSeconds along the longest line; 0.5 normalises
    // the matrix.
    const float longestSeconds = roomScale (roomSize) * kLateTimesMs[3] * 0.001f;
    float g = std::pow (0.001f, 1.0f / (lengthSeconds / longestSeconds)) * 0.5f;
    if (! (g >= 0.0f && g <= 0.5f))
        g = 0.0f;
    // A new gain is reached by a straight ramp over the chunk.
    chunkStart = currentFeedback;
    chunkStep = g == currentFeedback ? 0.0f : (g - currentFeedback) / static_cast<float> (frames);
    currentFeedback = g == currentFeedback ? g : (currentFeedback + static_cast<float> (frames - 1) * chunkStep) + chunkStep;
    index = 0;

    for (auto& d : damping)
        d.design (ReferenceBiquad::LowPass, colourHz, -3.0f, 0.0f, static_cast<float> (sampleRate));
}

std::pair<float, float> ReferenceReverb::tick (float left, float right, float roomSize, const std::array<float, 4>& modulation,
                                               const RoomFade* fade)
{
    resting = false;
    const float gain = chunkStart + static_cast<float> (index++) * chunkStep;
    const float scale = roomScale (roomSize);

    const float fromScale = fade != nullptr ? roomScale (fade->fromRoomSize) : scale;
    std::array<float, 4> earlyTimes {}, earlyFrom {};
    for (std::size_t i = 0; i < 4; ++i)
    {
        earlyTimes[i] = std::fabs (modulation[i] * 1.2f + scale * ReferenceEarlyReflections::kTimesMs[i]);
        earlyFrom[i] = std::fabs (modulation[i] * 1.2f + fromScale * ReferenceEarlyReflections::kTimesMs[i]);
    }
    const auto [earlyLeft, earlyRight] = early.tick (std::isfinite (left) ? left : 0.0f, std::isfinite (right) ? right : 0.0f,
                                                     earlyTimes, fade != nullptr ? &earlyFrom : nullptr,
                                                     fade != nullptr ? fade->oldWeight : 0.0f, fade != nullptr ? fade->newWeight : 1.0f);

    const auto read = [&] (std::size_t i, float s) {
        const float timeMs = std::fabs (modulation[i] * 1.25f + s * kLateTimesMs[i]);
        return ReferenceTiming::read (lines[i], (timeMs * 0.001f) * static_cast<float> (sampleRate), ReferenceTiming::kInLoop);
    };
    std::array<float, 4> o {};
    for (std::size_t i = 0; i < 4; ++i)
    {
        float y = read (i, scale);
        if (fade != nullptr)
            y = y * fade->newWeight + read (i, fromScale) * fade->oldWeight;
        // 70 % damped, 30 % direct, then the loop gain.
        const float low = damping[i].tick (y);
        o[i] = ((low - y) * (70.0f / 100.0f) + y) * gain;
    }

    const float a = o[0] + earlyLeft;
    const float b = o[1] + earlyRight;
    const float c = o[2];
    const float d = o[3];
    const float s0 = a + b, s1 = a - b, s2 = c + d, s3 = c - d;
    lines[0].push (s0 + s2);
    lines[1].push (s1 + s3);
    lines[2].push (s0 - s2);
    lines[3].push (s1 - s3);

    const float outputGain = 0.259f;
    return { (a * outputGain + c * outputGain) * 0.7f, (b * outputGain + d * outputGain) * 0.7f };
}

void ReferenceReverb::rest()
{
    if (! resting)
        for (auto& d : damping)
            d.clear();
    resting = true;
    for (auto& l : lines)
        l.push (0.0f);
    early.rest();
}

void ReferenceReverb::clear()
{
    for (auto& l : lines)
        l.clear();
    for (auto& d : damping)
        d.clear();
    early.clear();
    currentFeedback = 0.0f;
}
