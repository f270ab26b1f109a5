#include "ReferenceSettings.h"

#include "ReferenceBiquad.h"

#include <algorithm>
#include "ReferenceMaths.h"

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

float ReferenceSettings::inputGainFactor() const
{
    // 10^(dB / 20)
    return ReferenceMaths::exp (clamped (P::InputGain) * 0.115129255f);
}

int ReferenceSettings::inputFilterType() const
{
    return std::round (values[P::InputFilterType]) == 0.0f ? ReferenceBiquad::LowShelf : ReferenceBiquad::HighPass;
}

float ReferenceSettings::inputFilterHz (double sampleRate) const
{
    // The cutoff moves on the note scale and comes back to Hz below Nyquist.
    const float n = std::clamp (note (values[P::InputFilterFrequency]), note (20.0f), note (20000.0f));
    const float hz = ReferenceMaths::exp (n * 0.057762265f) * 8.1757994f;
    return std::clamp (hz, 20.0f, static_cast<float> (sampleRate / 2.1));
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

float ReferenceSettings::colourHz (double sampleRate) const
{
    return std::clamp (clamped (P::ReverbColor), 800.0f, static_cast<float> (sampleRate / 2.01));
}
