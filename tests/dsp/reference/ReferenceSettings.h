#pragma once

#include "VantrelParameterList.h"

#include <array>

// The effect's settings as the user sets them (parameter units, any value),
// and what each becomes inside the effect: clamped to its range, switches
// rounded or truncated, frequencies through the note scale.
struct ReferenceSettings
{
    using P = VantrelParameterList;
    static constexpr std::size_t kCount = P::NumParameters;

    ReferenceSettings();

    void set (unsigned long index, float value) { values[index] = value; }
    float clamped (unsigned long index) const;

    // The values the signal flow works with.
    float inputGainFactor() const;
    int inputFilterType() const; // a ReferenceBiquad::Type
    float inputFilterHz (double sampleRate) const;
    int mode (bool voiceB) const;
    int semitones (bool voiceB) const;
    float fineSemitones (bool voiceB) const;
    float colourHz (double sampleRate) const;

    std::array<float, kCount> values {};
};
