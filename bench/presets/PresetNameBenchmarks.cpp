// Cost of turning a typed preset name into a file name, by the length typed
// (saving runs it a few times on the message thread), and of upper-casing a
// name (once per preset read, and per lookup by name).
#include "Preset/PresetFileName.h"

#include <benchmark/benchmark.h>

namespace
{
void cleanTypedName (benchmark::State& state)
{
    const auto typed = juce::String::repeatedString ("name ", static_cast<int> (state.range (0)) / 5);
    for (auto _ : state)
        benchmark::DoNotOptimize (PresetFileName::fromTyped (typed));
    state.SetItemsProcessed (state.iterations() * state.range (0));
}

void upperCaseName (benchmark::State& state)
{
    const auto name = juce::String::repeatedString (juce::String::fromUTF8 ("Caf\xc3\xa9 "), static_cast<int> (state.range (0)) / 5);
    for (auto _ : state)
        benchmark::DoNotOptimize (PresetFileName::upperCase (name));
    state.SetItemsProcessed (state.iterations() * state.range (0));
}
} // namespace

BENCHMARK (cleanTypedName)->Arg (200)->Arg (20000)->Arg (60000);
BENCHMARK (upperCaseName)->Arg (20)->Arg (200)->Arg (60000);
