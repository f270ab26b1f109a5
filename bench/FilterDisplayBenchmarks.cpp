// Cost of drawing a filter response: one coefficient design and one magnitude
// per pixel column, as the filter displays do after every change (a 163-pixel
// display, the effect's input filter, and a 300-pixel one).
#include "ProcessBlock/Filters/BiquadCoefficients.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
void filterCurve (benchmark::State& state)
{
    const int width = static_cast<int> (state.range (0));
    const double pixelsPerOctave = width / 11.0;
    float frequency = 400.0f;
    for (auto _ : state)
    {
        BiquadCoefficients c;
        c.calculateParams (frequency, 6.0f, 0.0f, LowShelf);
        double sum = 0.0;
        for (int i = 0; i < width; ++i)
        {
            const double f = std::min (12.0 * std::exp2 (i / pixelsPerOctave), 22050.0 / 1.005);
            sum += 20.0 * std::log10 (c.magnitudeForFrequency (f / 22050.0));
        }
        benchmark::DoNotOptimize (sum);
        frequency = frequency < 10000.0f ? frequency * 1.01f : 400.0f;
    }
    state.SetItemsProcessed (state.iterations() * width);
}
} // namespace

BENCHMARK (filterCurve)->Arg (163)->Arg (300);
