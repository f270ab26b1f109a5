#pragma once

#include "VantrelParameterList.h"

#include <array>

// The effect's settings as the user sets them (parameter units, any value),
// and what each becomes inside the effect: clamped to its range, switches
// rounded or truncated, the filter frequency on the note scale.
struct ReferenceSettings
{
    using P = VantrelParameterList;
    static constexpr std::size_t kCount = P::NumParameters;

    ReferenceSettings();

    void set (unsigned long index, float value) { values[index] = value; }
    float clamped (unsigned long index) const;

    // What a moving setting's ramp heads for: the clamped value, for the input
    // filter's frequency its note number (it moves on the note scale).
    float target (unsigned long index) const;
    // Switches (filter type, modes, pitches, fine tunings) take effect at
    // once; every other setting ramps.
    static bool isSwitch (unsigned long index);

    // The switches as the signal flow uses them.
    int inputFilterType() const; // a ReferenceBiquad::Type
    int mode (bool voiceB) const;
    int semitones (bool voiceB) const;
    float fineSemitones (bool voiceB) const;

    std::array<float, kCount> values {};
};
