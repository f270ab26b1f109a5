#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

// A host writes normalised numbers and reads back the one it wrote; JUCE's
// float and integer parameters keep only the value snapped to their steps, so
// a host that saved 0.1427 on a mode read 0 after the restore. HostNumber
// keeps the exact number beside the snapped value and gives it back while it
// still means that value; everything that renders or draws keeps reading the
// snapped value.
//
// JUCE keeps the snapped value in a private member of each parameter class and
// its setter is private too, so the override that records the host's number
// cannot call it. The pointer to that member is taken through an explicit
// instantiation, the one place where the language does not check access; a
// JUCE whose member differs fails to compile here instead of misbehaving.
namespace HostNumber
{
// Tag names a member pointer type and declares `memberPointer (Tag)`; an
// explicit instantiation of Grant<Tag, &Class::member> (in HostNumber.cpp)
// defines it to return that member.
template <typename Tag, typename Tag::Pointer member>
struct Grant
{
    friend typename Tag::Pointer memberPointer (Tag) { return member; }
};

// JUCE's held values.
struct FloatHeld
{
    using Pointer = std::atomic<float> juce::AudioParameterFloat::*;
    friend Pointer memberPointer (FloatHeld);
};

struct IntHeld
{
    using Pointer = std::atomic<float> juce::AudioParameterInt::*;
    friend Pointer memberPointer (IntHeld);
};

// JUCE's parameter class `Base`, giving the host back the exact number it
// wrote; its value, range, steps and texts are JUCE's own. `Held` names the
// member in which `Base` holds its value. Defined and instantiated in
// HostNumber.cpp, beside the pointers to those members.
template <typename Base, typename Held>
class Parameter : public Base
{
public:
    using Base::Base;

    // The host's own number while it maps to the value the parameter holds,
    // else the held value's own number.
    float getValue() const override;
    void setValue (float newValue) override;

private:
    float heldValue() const { return static_cast<float> (this->get()); }

    std::atomic<float> hostNumber { this->convertTo0to1 (heldValue()) };
};

extern template class Parameter<juce::AudioParameterFloat, FloatHeld>;
extern template class Parameter<juce::AudioParameterInt, IntHeld>;
} // namespace HostNumber

using HostNumberFloatParameter = HostNumber::Parameter<juce::AudioParameterFloat, HostNumber::FloatHeld>;
using HostNumberIntParameter = HostNumber::Parameter<juce::AudioParameterInt, HostNumber::IntHeld>;
