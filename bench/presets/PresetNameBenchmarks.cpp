// Cost of turning a typed preset name into a file name, by the length typed
// (saving runs it a few times on the message thread).
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
} // namespace

BENCHMARK (cleanTypedName)->Arg (200)->Arg (20000)->Arg (60000);
