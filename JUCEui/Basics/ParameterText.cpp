#include "Basics/ParameterText.h"

#include "UI/Overlays/LeadingNumber.h"

#include <span>

namespace
{
struct Suffix
{
    const char* text;
    double factor;
};

// The units a number of `unit` may carry, with the factor each stands for.
std::span<const Suffix> suffixesOf (std::uint32_t unit)
{
    static constexpr Suffix percent[] { { "%", 1.0 } };
    static constexpr Suffix seconds[] { { "s", 1.0 }, { "ms", 0.001 } };
    static constexpr Suffix milliseconds[] { { "ms", 1.0 }, { "s", 1000.0 } };
    static constexpr Suffix degrees[] { { "\xc2\xb0", 1.0 } };
    static constexpr Suffix rate[] { { "Hz", 1.0 } };
    static constexpr Suffix hertz[] { { "Hz", 1.0 }, { "k", 1000.0 }, { "kHz", 1000.0 } };
    static constexpr Suffix semitones[] { { "st", 1.0 } };
    static constexpr Suffix decibels[] { { "dB", 1.0 } };
    switch (unit)
    {
        case ParameterUnitPercent: return percent;
        case ParameterUnitSeconds: return seconds;
        case ParameterUnitMilliseconds: return milliseconds;
        case ParameterUnitDegrees:
        case ParameterUnitDegreesSign: return degrees;
        case ParameterUnitRate: return rate;
        case ParameterUnitHertz: return hertz;
        case ParameterUnitSemitones: return semitones;
        case ParameterUnitDecibels: return decibels;
        default: return {};
    }
}
} // namespace

std::optional<double> ParameterText::read (const juce::String& text, std::uint32_t unit,
                                           Parameter::ValueTextFunction names, int first, int last)
{
    // Each character written afresh in its shortest form: JUCE takes text
    // that is valid but not (an overlong sequence) as valid, then sizes a
    // copy of its end by the characters and fills it with the bytes, past
    // the copy's end.
    const auto trimmed = juce::String (text.toUTF32()).trim();
    if (names != nullptr)
    {
        for (int value = first; value <= last; ++value)
        {
            const auto name = juce::String::fromUTF8 (names (value));
            if (name.isNotEmpty() && trimmed.equalsIgnoreCase (name))
                return value;
        }
    }

    juce::String rest;
    const auto number = LeadingNumber::read (trimmed, rest);
    if (! number)
        return std::nullopt;
    rest = rest.trimStart();
    if (rest.isEmpty())
        return number;
    for (const auto& suffix : suffixesOf (unit))
        if (rest.equalsIgnoreCase (juce::String::fromUTF8 (suffix.text)))
            return *number * suffix.factor;
    return std::nullopt;
}

std::optional<double> ParameterText::read (const juce::String& text, const Parameter& parameter)
{
    return read (text, parameter.type, parameter.valueText, static_cast<int> (parameter.min),
                 static_cast<int> (parameter.max));
}
