#pragma once

// One channel of the ducker: the wet signal's gain follows a target set by
// the dry input's level against the threshold (ratio 10), by a straight ramp
// whose slope comes from the attack or release time; the square of the gain
// is applied. Decided at grid points from the level of a whole chunk.
class ReferenceDucker
{
public:
    explicit ReferenceDucker (double sampleRate);

    // level: RMS of the dry input over the chunk the decision is based on.
    void beginChunk (double level, float thresholdDb, float attackMs, float releaseMs, long frames);
    // The factor for the next sample of the chunk.
    float tick();

    float current = 0.0f;

private:
    double sampleRate;
    float start = 0.0f, increment = 0.0f;
    int index = 0;
};
