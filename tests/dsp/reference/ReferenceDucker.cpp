#include "ReferenceDucker.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kWindowUnits = 4194304.0 * 256.0;

double rms (long long energy)
{
    return std::sqrt (static_cast<double> (energy) / kWindowUnits);
}
} // namespace

ReferenceDucker::ReferenceDucker (double rate)
    : sampleRate (rate)
{
}

float ReferenceDucker::gain() const
{
    return std::clamp (start + static_cast<float> (age) * increment, 0.0f, 1.0f);
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
    const float current = gain();
    const float distance = target (rms (energy)) - current;
    // The ramp runs on past the target, to the bounds.
    increment = static_cast<float> (distance * coefficient (distance < 0.0f ? attack : release));
    start = current;
    age = 0;
    louder = std::max (static_cast<double> (energy), threshold * threshold * kWindowUnits);
}

float ReferenceDucker::tick (float key)
{
    const auto units = static_cast<long long> (static_cast<int> (std::min (key * key * 4194304.0f, 1073741824.0f)));
    energy += units - squares[next];
    squares[next] = units;
    next = (next + 1) % kWindow;
    if (static_cast<double> (energy) > louder)
    {
        louder = static_cast<double> (energy);
        const float current = gain();
        const auto steeper = static_cast<float> ((target (rms (energy)) - current) * coefficient (attack));
        if (steeper < increment)
        {
            start = current;
            increment = steeper;
            age = 0;
        }
    }
    const float g = gain();
    ++age;
    return g * g;
}
