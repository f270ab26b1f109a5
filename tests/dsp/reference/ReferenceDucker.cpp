#include "ReferenceDucker.h"

#include <algorithm>
#include <cmath>

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
    const float distance = target (std::sqrt (std::max (energy, 0.0) / static_cast<double> (kWindow))) - current;
    // The ramp runs on past the target, to the bounds.
    increment = static_cast<float> (distance * coefficient (distance < 0.0f ? attack : release));
    start = current;
    age = 0;
    louder = std::max (energy, threshold * threshold * static_cast<double> (kWindow));
}

float ReferenceDucker::tick (float key)
{
    energy += static_cast<double> (key) * key - static_cast<double> (keys[next]) * keys[next];
    keys[next] = key;
    next = (next + 1) % kWindow;
    if (energy > louder)
    {
        louder = energy;
        const float current = gain();
        const auto steeper = static_cast<float> ((target (std::sqrt (energy / static_cast<double> (kWindow))) - current) * coefficient (attack));
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
