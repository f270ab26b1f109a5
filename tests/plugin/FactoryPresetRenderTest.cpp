#include "ProcessorFixture.h"

#include "SignalAnalysis.h"

#include <cmath>
#include <cstdio>

using namespace plugintest;

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int signalSeconds = 4;
constexpr int tailSeconds = 3;

// Four seconds of music peaking at -18 dBFS: two sustained triads with soft
// attacks (C major, then A minor), a drum-like noise burst on every beat, the
// right channel a little later and darker than the left; then silence, so the
// tail is measured too.
juce::AudioBuffer<float> musicalTestSignal()
{
    const int length = static_cast<int> (sampleRate) * (signalSeconds + tailSeconds);
    const int signalLength = static_cast<int> (sampleRate) * signalSeconds;
    juce::AudioBuffer<float> buffer (2, length);
    buffer.clear();

    const double chords[2][3] = { { 261.63, 329.63, 392.00 }, { 220.00, 261.63, 329.63 } };
    const int chordLength = signalLength / 2;
    std::uint32_t noise = 12345;
    for (int c = 0; c < 2; ++c)
    {
        const int offset = c * 96; // 2 ms between the channels
        for (int i = 0; i < signalLength; ++i)
        {
            const int chord = i / chordLength;
            const double t = (i % chordLength) / sampleRate;
            const double envelope = std::min (1.0, t / 0.05) * std::exp (-t * 0.6);
            double x = 0.0;
            for (double f : chords[chord])
                x += std::sin (2.0 * juce::MathConstants<double>::pi * f * (i + offset) / sampleRate) * envelope / 3.0;

            const double beat = std::fmod (static_cast<double> (i) / sampleRate, 0.5);
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double> (noise >> 8) / static_cast<double> (1u << 24) * 2.0 - 1.0;
            x += white * std::exp (-beat / (c == 0 ? 0.04 : 0.03)) * 0.8;
            buffer.setSample (c, i, static_cast<float> (x));
        }
    }
    buffer.applyGain (std::pow (10.0f, -18.0f / 20.0f) / buffer.getMagnitude (0, length));
    return buffer;
}

struct Figures
{
    double rmsDb, peakDb;
    bool finite;
};

Figures render (const juce::String& presetName, const juce::AudioBuffer<float>& input)
{
    auto processor = VantrelProcessor::create();
    processor->setRateAndBufferSizeDetails (sampleRate, 512);
    processor->prepareToPlay (sampleRate, 512);
    processor->setPreset (presetName, true);

    juce::MidiBuffer midi;
    juce::AudioBuffer<float> block (2, 512);
    block.clear(); // let the preset's ramps settle on silence
    processor->processBlock (block, midi);

    juce::AudioBuffer<float> output (input);
    for (int start = 0; start < output.getNumSamples(); start += 512)
    {
        juce::AudioBuffer<float> piece (output.getArrayOfWritePointers(), 2, start, std::min (512, output.getNumSamples() - start));
        processor->processBlock (piece, midi);
    }

    const auto n = static_cast<size_t> (output.getNumSamples());
    Figures figures { 0.0, 0.0, true };
    double energy = 0.0, peak = 0.0;
    for (int c = 0; c < 2; ++c)
    {
        const auto* x = output.getReadPointer (c);
        figures.finite = figures.finite && testsupport::allFinite (x, n);
        energy += std::pow (testsupport::rms (x, n), 2.0) / 2.0;
        peak = std::max (peak, testsupport::peak (x, n));
    }
    figures.rmsDb = testsupport::toDecibels (std::sqrt (energy));
    figures.peakDb = testsupport::toDecibels (peak);
    return figures;
}
} // namespace

TEST (FactoryPresetRender, EveryPresetIsFiniteAudibleAndBelowClipping)
{
    plugintest::clearUserFolder();
    const auto input = musicalTestSignal();
    ASSERT_NEAR (testsupport::toDecibels (input.getMagnitude (0, input.getNumSamples())), -18.0, 0.01);

    auto lister = VantrelProcessor::create();
    for (auto* preset : lister->getPresetList (EffectProcessor::factoryList))
    {
        SCOPED_TRACE (preset->name.toStdString());
        const auto figures = render (preset->name, input);
        std::printf ("  %-22s RMS %6.1f dBFS   peak %6.1f dBFS\n", preset->name.toRawUTF8(), figures.rmsDb, figures.peakDb);
        EXPECT_TRUE (figures.finite);
        EXPECT_GT (figures.rmsDb, -60.0);
        EXPECT_LE (figures.peakDb, -1.0);
    }
}
