#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <utility>
#include <vector>

namespace render
{
// What the command line of vantrel-render asks for.
struct RenderOptions
{
    bool listPresets = false;
    bool quiet = false;
    juce::String presetName;                              // empty: none
    std::vector<std::pair<juce::String, double>> sets;    // identifier, value in its own units, in order
    int blockSize = 512;
    std::optional<double> tailSeconds;                    // empty: until the tail falls below -90 dBFS
    juce::File stateIn, stateOut;                         // default-constructed: not given
    juce::File input, output;

    static constexpr int maximumBlockSize = 1 << 20;
    static constexpr double maximumTailSeconds = 3600.0;

    // Parses argv[1..]. On a mistake returns an empty optional and a one-line
    // message naming the problem in `error`.
    static std::optional<RenderOptions> parse (const juce::StringArray& arguments, juce::String& error);

    static juce::String usage();

    // argv[1..] as strings; an empty optional and a one-line message when an
    // argument is not UTF-8 (the framework's strings would overrun it).
    static std::optional<juce::StringArray> argumentsFrom (int argc, const char* const* argv, juce::String& error);
};

// `argument` as it is quoted in a one-line message: control characters
// escaped ("\n", "\t", "\x1b").
juce::String shown (const juce::String& argument);

// A whole decimal number of the C locale ("12", "-3.5", "1e3"), finite.
std::optional<double> parseNumber (const juce::String& text);
} // namespace render
