#pragma once

#include "ReferenceBiquad.h"
#include "ReferenceDucker.h"
#include "ReferenceLine.h"
#include "ReferenceOscillator.h"
#include "ReferenceReverb.h"
#include "ReferenceSettings.h"
#include "ReferenceVoice.h"

#include <array>
#include <vector>

// The whole effect, one sample at a time, for steady settings: input gain
// and filter, two voices before, around or after the reverb, pre-delay,
// reverb (a second one while both voices repeat), ducking keyed by the dry
// input, and the dry/wet mix. Control values are read at grid points.
class ReferenceEffect
{
public:
    using Signal = std::array<std::vector<float>, 2>;

    ReferenceEffect (double sampleRate, const ReferenceSettings& settings);

    // Stereo in, stereo out, from the start of the stream.
    Signal render (const Signal& input);

private:
    struct Channel
    {
        explicit Channel (double sampleRate);
        ReferenceBiquad inputFilter;
        ReferenceVoice voiceA, voiceB;
        ReferenceLine returnA, returnB; // each voice's repeats on their way back into the reverb
        ReferenceLine preDelay;
        ReferenceDucker ducker;
        double energy = 0.0; // of the dry input over the current chunk
        double level = 0.0;  // RMS of the dry input over the last whole chunk
    };

    void beginChunk();
    void tick (const Signal& input, Signal& output, std::size_t t);

    double sampleRate;
    ReferenceSettings settings;
    std::vector<Channel> channels;
    ReferenceOscillator oscillator;
    ReferenceReverb reverbA, reverbB;
    float amountA = 0.0f, amountB = 0.0f;
};
