#include "ReferenceDucker.h"

#include <algorithm>
#include <cmath>

ReferenceDucker::ReferenceDucker (double rate)
    : sampleRate (rate)
{
}

void ReferenceDucker::beginChunk (double level, float thresholdDb, float attackMs, float releaseMs, long frames)
{
    const double ratio = 10.0;
    const double t = std::exp (static_cast<double> (thresholdDb) * 0.11512925464970002);
    const auto target = static_cast<float> (std::min (1.0, std::max ((level - t) / ratio + t, 0.001) / std::max (level, 0.001)));
    const float distance = target - current;
    const float timeMs = distance < 0.0f ? attackMs : releaseMs;
    const double k = timeMs == 0.0f ? 1.0 : 1.0 / (std::max (static_cast<double> (timeMs), 0.01) * sampleRate * 0.001);
    increment = static_cast<float> (distance * k);
    start = current;
    index = 0;
    // The ramp runs on past the target; the chunk ends where it stands.
    const float last = std::clamp (start + static_cast<float> (frames - 1) * increment, 0.0f, 1.0f);
    current = std::clamp (last + increment, 0.0f, 1.0f);
}

float ReferenceDucker::tick()
{
    const float g = std::clamp (start + static_cast<float> (index++) * increment, 0.0f, 1.0f);
    return g * g;
}
