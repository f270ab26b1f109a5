#pragma once

#include "ReferenceBiquad.h"
#include "ReferenceDucker.h"
#include "ReferenceLine.h"
#include "ReferenceOscillator.h"
#include "ReferenceRamp.h"
#include "ReferenceReverb.h"
#include "ReferenceSettings.h"
#include "ReferenceVoice.h"

#include <array>
#include <cstdint>
#include <vector>

// The whole effect, one sample at a time: input gain and filter, two voices
// before, around or after the reverb, pre-delay, reverb (a second one while
// both voices repeat), ducking keyed by the dry input, and the dry/wet mix.
// Control values are read at grid points; settings other than the switches
// may move, by 20 ms ramps rendered a grid chunk at a time. A change of the
// voices' modes fades from the old routing to the new over whole chunks
// (about 5 ms); the parts a routing does not use store what they would
// receive.
class ReferenceEffect
{
public:
    using Signal = std::array<std::vector<float>, 2>;

    // The settings hold from the first sample. channelCount 1: the left
    // channel alone, as a mono bus.
    ReferenceEffect (double sampleRate, const ReferenceSettings& settings, int channelCount = 2);

    // From the grid point at `frame` on, a setting moves (a switch: changes)
    // to `value`.
    void change (std::size_t frame, unsigned long index, float value);

    // Two channels in and out (in mono the right one is left silent), from the
    // start of the stream.
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
    };
    struct Change
    {
        std::size_t frame;
        unsigned long index;
        float value;
    };
    using Chunk = std::array<float, 256>;

    void beginChunk (std::size_t start);
    void tick (const Signal& input, Signal& output, std::size_t t, long k);
    // Setting `index` at sample k of the chunk.
    float at (unsigned long index, long k) const { return chunk[index][static_cast<std::size_t> (k)]; }

    // The weight of the new routing at sample k of the chunk: 1 outside a
    // crossfade.
    float fadeWeight (long k) const;

    // A delay length (pre-delay, room size, a voice's window) whose ramp
    // would read its line more than half again faster or slower than real
    // time (a window: twice) jumps instead; the jump waits for the end of a fade that runs,
    // then fades between the old length and the new over lengthFadeLength
    // samples: two reads of a line at equal power, or a shifter's windows
    // ducked to silence where the length switches.
    struct LengthFade
    {
        unsigned long index;
        float msPerUnit;
        double speed;
        float limit = 0.0f;
        bool valid = false, waiting = false, running = false;
        float last = 0.0f, from = 0.0f;
        long position = 0;
        Chunk oldWeight {}, newWeight {}, gain {};
    };
    // At a grid point: the chunk's lengths (held while a jump waits) and
    // their fades' weights.
    void takeLength (LengthFade& f);

    double sampleRate;
    std::uint64_t rampLength;
    long fadeLength;
    long lengthFadeLength;
    bool modesTaken = false;
    int fromA = 0, fromB = 0, toA = 0, toB = 0; // the routings faded between
    long fadePosition = 0, fadeRunning = 0;     // at the chunk's start; fadeRunning: the fade's length while it runs
    ReferenceSettings settings;
    std::vector<Change> changes;
    std::array<ReferenceRamp, ReferenceSettings::kCount> ramps;
    std::array<Chunk, ReferenceSettings::kCount> chunk {};
    std::vector<Channel> channels;
    ReferenceOscillator oscillator;
    ReferenceReverb reverbA, reverbB;
    std::array<LengthFade, 4> lengthFades { { { VantrelParameterList::PreDelay, 1.0f, 0.5 },
                                             { VantrelParameterList::RoomSize, 86.1244f / 32.046154f, 0.5 },
                                             { VantrelParameterList::DelayTimeA, 1.0f, 2.0 },
                                             { VantrelParameterList::DelayTimeB, 1.0f, 2.0 } } };
    float scaleA = 1.0f, scaleB = 1.0f;
    float colour = 0.0f;
};
