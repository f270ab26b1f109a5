#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <cstdint>

namespace hosttest
{
// Running summary of a plug-in's output: what a validator must never see
// (NaN, infinity, subnormal numbers) and how loud it was.
struct SignalScan
{
    std::int64_t nonFinite = 0;
    std::int64_t subnormal = 0;
    std::int64_t samples = 0;
    double sumOfSquares = 0.0;
    float peak = 0.0f;

    void add (const juce::AudioBuffer<float>& buffer, int channels, int frames) noexcept
    {
        for (int c = 0; c < channels; ++c)
        {
            const float* data = buffer.getReadPointer (c);

            for (int i = 0; i < frames; ++i)
            {
                const float x = data[i];
                const int kind = std::fpclassify (x);

                if (kind == FP_NAN || kind == FP_INFINITE)
                {
                    ++nonFinite;
                    continue;
                }

                if (kind == FP_SUBNORMAL)
                    ++subnormal;

                sumOfSquares += (double) x * (double) x;
                peak = std::max (peak, std::abs (x));
            }

            samples += frames;
        }
    }

    bool clean() const noexcept { return nonFinite == 0 && subnormal == 0; }

    double rmsDecibels() const noexcept
    {
        return samples == 0 || sumOfSquares <= 0.0 ? -400.0 : 10.0 * std::log10 (sumOfSquares / (double) samples);
    }

    juce::String describe() const
    {
        return juce::String (nonFinite) + " non-finite, " + juce::String (subnormal) + " subnormal of "
             + juce::String (samples) + " samples, RMS " + juce::String (rmsDecibels(), 1) + " dBFS, peak "
             + juce::String (peak, 3);
    }
};
} // namespace hosttest
