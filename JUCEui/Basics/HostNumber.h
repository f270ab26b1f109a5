#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cmath>

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
// explicit instantiation of Grant<Tag, &Class::member> (in one source file)
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

// The number to give back: the host's own while it maps to the value the
// parameter holds, else the held value's own number.
template <typename Parameter>
float read (const Parameter& parameter, const std::atomic<float>& hostNumber, float held)
{
    const float number = hostNumber.load (std::memory_order_relaxed);
    return parameter.convertFrom0to1 (number) == held ? number : parameter.convertTo0to1 (held);
}

// What to keep of a number a host wrote: clamped as the parameter reads it; a
// number that is not finite keeps the one the held value maps to.
template <typename Parameter>
float keep (const Parameter& parameter, float written, float held)
{
    return std::isfinite (written) ? juce::jlimit (0.0f, 1.0f, written) : parameter.convertTo0to1 (held);
}
} // namespace HostNumber
