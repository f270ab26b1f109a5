#pragma once

#include "ReferenceLine.h"
#include "ReferencePitchShifter.h"

// One channel of a pitch voice: the plain shift with make-up gain and a
// linear crossfade (modes 0 and 2), and the repeating delay whose every pass
// is shifted once more (mode 1).
class ReferenceVoice
{
public:
    ReferenceVoice (double sampleRate);

    void beginChunk (int semitones, float fineSemitones, float windowMs);
    // Modes 0 and 2 (`after`): the shifted signal x mixed with dry by amount
    // (percent), each mode with its own shifter.
    float shiftAndMix (bool after, float x, float dry, float amountPercent, float windowMs, float windowGain = 1.0f);
    // Mode 1: x enters the repeating delay; returns the delay's output.
    float repeat (float x, float windowMs, float windowGain = 1.0f);
    // The parts not heard store what they would receive (the repeating
    // delay's line silence).
    void restShifter (bool after, float x);
    void restRepeat (float x);

private:
    double sampleRate;
    int semitones = 0;
    ReferencePitchShifter plain, post;
    ReferencePitchShifter repeating;
    ReferenceLine line;
};
