#pragma once

#include <cstddef>
#include <vector>

// One channel of the ducker: the wet signal's gain follows a target set by
// the dry input's RMS level over the last 20 ms (its squares counted in whole
// units of 2^-22, up to 256) against the threshold (ratio 10), by a straight
// ramp whose slope comes from the attack or release time and which stops on
// its target; the square of the gain is applied. A ramp is decided every
// 1 ms of stream, with the settings of the latest chunk.
class ReferenceDucker
{
public:
    explicit ReferenceDucker (double sampleRate);

    void beginChunk (float thresholdDb, float attackMs, float releaseMs);
    // The factor for the next sample, whose dry input is `key`.
    float tick (float key);

private:
    float gain() const;
    float target (double level) const;
    double coefficient (float timeMs) const;

    double sampleRate;
    double threshold = 1.0;
    float attack = 0.0f, release = 0.0f;
    std::vector<long long> squares;
    std::size_t next = 0;
    long long energy = 0; // of the last 20 ms of keys, in units
    std::size_t decisionFrames = 1, sinceDecision = 0;
    float start = 0.0f, goal = 0.0f, increment = 0.0f;
    long age = 0;
};
