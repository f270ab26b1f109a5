#pragma once

#include <array>
#include <cstddef>

// One channel of the ducker: the wet signal's gain follows a target set by
// the dry input's RMS level over the last 256 samples (its squares counted in
// whole units of 2^-22, up to 256) against the threshold (ratio 10), by a straight ramp whose slope comes from the attack or release
// time; the square of the gain is applied. A ramp is decided at grid points,
// and again at any sample where the level rises above everything the ramp
// answered, when the attack from there falls faster.
class ReferenceDucker
{
public:
    explicit ReferenceDucker (double sampleRate);

    void beginChunk (float thresholdDb, float attackMs, float releaseMs);
    // The factor for the next sample, whose dry input is `key`.
    float tick (float key);

private:
    static constexpr std::size_t kWindow = 256;

    float gain() const;
    float target (double level) const;
    double coefficient (float timeMs) const;

    double sampleRate;
    double threshold = 1.0;
    float attack = 0.0f, release = 0.0f;
    std::array<long long, kWindow> squares {};
    std::size_t next = 0;
    long long energy = 0; // of the last 256 keys, in units
    double louder = 0.0;  // the energy above which an attack is weighed
    float start = 0.0f, increment = 0.0f;
    long age = 0;
};
