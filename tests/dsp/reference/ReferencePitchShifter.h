#pragma once

#include "ReferenceBandLimit.h"
#include "ReferenceLine.h"

// One channel's pitch shifter: two taps half a window apart sweep through
// the stored input, each under a half-cosine window; then 40 Hz high-pass,
// 5 kHz low-pass and tanh. Shifting up, the input is low-passed before it is
// stored (an elliptic pair of sections whose band ends at 0.8 Nyquist / ratio).
// Interval, window length and that band are read at grid points.
class ReferencePitchShifter
{
public:
    explicit ReferencePitchShifter (double sampleRate);

    void beginChunk (int semitones, float fineSemitones, float windowMs);
    // windowGain: on both taps' windows (a jump of the window length ducks them).
    float tick (float x, float windowMs, float windowGain = 1.0f);
    // A sample while the shifter is not heard: only stored; the phase stands
    // still and the band limits are silenced when it stops.
    void rest (float x);
    // Silence in the storage and the band limits; the window phase runs on.
    void clear();

    float phase = 0.0f;

private:
    double sampleRate;
    ReferenceLine storage;
    // 40 Hz high-pass then 5 kHz low-pass, run as one recursion.
    ReferenceBandLimit output;
    // The band limit before the store: off, on, or fading out over the
    // chunk after the last one shifted up.
    ReferenceBandLimit band;
    bool bandOn = false, bandFading = false;
    float bandRatio = 0.0f, chunkRatio = 1.0f;
    void beginBand();
    float limitBand (float x);
    void stopBand();
    float increment = 0.0f;
    float shortestSeconds = 0.0f;
    float lastUnfolded = 0.0f;
    int index = 0;
    bool ticked = false;
    bool resting = false;
};
