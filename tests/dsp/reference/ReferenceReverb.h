#pragma once

#include "ReferenceBiquad.h"
#include "ReferenceEarlyReflections.h"
#include "ReferenceLine.h"

#include <array>
#include <utility>

// One of the effect's reverbs: early reflections into a four-line feedback
// delay network with damped lines and a Hadamard matrix. The loop gain and
// the damping filters' design are decided at grid points.
class ReferenceReverb
{
public:
    static constexpr std::array<float, 4> kLateTimesMs { 58.6435f, 69.4325f, 74.5234f, 86.1244f };

    explicit ReferenceReverb (double sampleRate);

    // At a grid point: reverb time (s), damping cutoff (Hz, already limited
    // below Nyquist), room size (percent) for the chunk of `frames` samples.
    void beginChunk (float lengthSeconds, float colourHz, float roomSize, long frames);
    // modulation: the oscillator's four outputs for this sample.
    // While a jump of the room size fades, every line is also read at the
    // times of `fromRoomSize`, the reads weighted by oldWeight and newWeight.
    struct RoomFade
    {
        float fromRoomSize, oldWeight, newWeight;
    };
    std::pair<float, float> tick (float left, float right, float roomSize, const std::array<float, 4>& modulation,
                                  const RoomFade* fade = nullptr);
    void clear();
    // A sample while the reverb is not heard: silence into every line; the
    // damping filters are silenced when it stops.
    void rest();

private:
    bool resting = false;
    double sampleRate;
    ReferenceEarlyReflections early;
    std::array<ReferenceLine, 4> lines;
    std::array<ReferenceBiquad, 4> damping;
    float currentFeedback = 0.0f;
    float chunkStart = 0.0f, chunkStep = 0.0f;
    int index = 0;
};
