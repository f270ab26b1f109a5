#include "ReferenceSettings.h"

#include "ReferenceBiquad.h"

#include <algorithm>
#include <cmath>

namespace
{
const VantrelParameterList& list()
{
    static const VantrelParameterList parameters;
    return parameters;
}

// MIDI note numbers: note(440) = 69, with the scale's floor at -1500.
float note (float hz)
{
    return hz > 0.0f ? 17.31234f * std::log (0.1223122f * hz) : -1500.0f;
}
} // namespace

ReferenceSettings::ReferenceSettings()
{
    for (std::size_t i = 0; i < kCount; ++i)
        values[i] = list().at (i).defaultValue;
}

float ReferenceSettings::clamped (unsigned long index) const
{
    const Parameter& p = list().at (index);
    return std::clamp (values[index], p.min, p.max);
}

float ReferenceSettings::target (unsigned long index) const
{
    if (index == P::InputFilterFrequency)
        return std::clamp (note (values[index]), note (list().at (index).min), note (list().at (index).max));
    return clamped (index);
}

bool ReferenceSettings::isSwitch (unsigned long index)
{
    return index == P::InputFilterType || index == P::PitchShifterModeA || index == P::PitchA || index == P::FineA
           || index == P::PitchShifterModeB || index == P::PitchB || index == P::FineB;
}

int ReferenceSettings::inputFilterType() const
{
    return std::round (values[P::InputFilterType]) == 0.0f ? ReferenceBiquad::LowShelf : ReferenceBiquad::HighPass;
}

int ReferenceSettings::mode (bool voiceB) const
{
    return static_cast<int> (std::trunc (clamped (voiceB ? P::PitchShifterModeB : P::PitchShifterModeA)));
}

int ReferenceSettings::semitones (bool voiceB) const
{
    return static_cast<int> (std::round (clamped (voiceB ? P::PitchB : P::PitchA)));
}

float ReferenceSettings::fineSemitones (bool voiceB) const
{
    return clamped (voiceB ? P::FineB : P::FineA) / 100.0f;
}
