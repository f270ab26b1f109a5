#include "ReferenceDucker.h"

#include <algorithm>
#include <cmath>

namespace
{
std::size_t frames (double ms, double rate)
{
    return static_cast<std::size_t> (std::max (1.0, std::round (ms * 0.001 * rate)));
}
} // namespace

ReferenceDucker::ReferenceDucker (double rate)
    : sampleRate (rate),
      squares (frames (20.0, rate), 0),
      decisionFrames (frames (1.0, rate))
{
}

float ReferenceDucker::gain() const
{
    const float g = start + static_cast<float> (age) * increment;
    return std::clamp (g, std::min (start, goal), std::max (start, goal));
}

float ReferenceDucker::target (double level) const
{
    const double ratio = 10.0;
    return static_cast<float> (std::min (1.0, std::max ((level - threshold) / ratio + threshold, 0.001) / std::max (level, 0.001)));
}

double ReferenceDucker::coefficient (float timeMs) const
{
    return timeMs == 0.0f ? 1.0 : 1.0 / (std::max (static_cast<double> (timeMs), 0.01) * sampleRate * 0.001);
}

void ReferenceDucker::beginChunk (float thresholdDb, float attackMs, float releaseMs)
{
    threshold = std::exp (static_cast<double> (thresholdDb) * 0.11512925464970002);
    attack = attackMs;
    release = releaseMs;
}

float ReferenceDucker::tick (float key)
{
    if (sinceDecision++ % decisionFrames == 0)
    {
        const double rms = std::sqrt (static_cast<double> (energy) / (4194304.0 * static_cast<double> (squares.size())));
        const float current = gain();
        goal = target (rms);
        const float distance = goal - current;
        increment = static_cast<float> (distance * coefficient (distance < 0.0f ? attack : release));
        start = current;
        age = 0;
    }
    const float g = gain();
    ++age;
    const auto units = static_cast<long long> (static_cast<int> (std::min (key * key * 4194304.0f, 1073741824.0f)));
    energy += units - squares[next];
    squares[next] = units;
    next = (next + 1) % squares.size();
    return g * g;
}
