// Hosts cut the stream into blocks of any length, and change the length from
// call to call (loop points, automation points, a host that renders ahead):
// through the processor, as a host drives it, the same settings give the same
// output sample for sample however the stream is cut.
#include "ProcessorFixture.h"

#include "SignalAnalysis.h"

#include <cmath>
#include <random>

using namespace plugintest;

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int length = 3 * 48000;

// A tone with a noise burst every quarter second, different on each channel,
// then a second of silence for the tail.
juce::AudioBuffer<float> testSignal()
{
    juce::AudioBuffer<float> buffer (2, length);
    std::mt19937 random (17);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < length; ++i)
        {
            const double t = i / sampleRate;
            const float tone = 0.3f * static_cast<float> (std::sin (2.0 * juce::MathConstants<double>::pi * (c == 0 ? 220.0 : 331.0) * t));
            const float burst = noise (random) * static_cast<float> (std::exp (-std::fmod (t, 0.25) / 0.02));
            buffer.setSample (c, i, i < 2 * 48000 ? 0.5f * (tone + burst) : 0.0f);
        }
    return buffer;
}

// A new instance with the preset restored before the host activates it, as
// a host opens a project, then the signal in blocks of the lengths `next`
// gives.
juce::AudioBuffer<float> render (const juce::String& preset, const juce::AudioBuffer<float>& input,
                                 const std::function<int()>& next)
{
    auto processor = VantrelProcessor::create();
    EXPECT_TRUE (processor->setPreset (preset, true));
    processor->setRateAndBufferSizeDetails (sampleRate, 512);
    processor->prepareToPlay (sampleRate, 512);
    juce::AudioBuffer<float> output (input);
    juce::MidiBuffer midi;
    for (int start = 0; start < length;)
    {
        const int n = std::min (next(), length - start);
        juce::AudioBuffer<float> piece (output.getArrayOfWritePointers(), 2, start, n);
        processor->processBlock (piece, midi);
        start += n;
    }
    return output;
}
} // namespace

TEST (HostBlockLengths, EveryFactoryPresetSoundsTheSameInBlocksOfOddAndChangingLengths)
{
    clearUserFolder();
    const auto input = testSignal();
    auto lister = VantrelProcessor::create();
    const auto presets = lister->getPresetList (EffectProcessor::factoryList);
    ASSERT_FALSE (presets.empty());

    for (auto* preset : presets)
    {
        SCOPED_TRACE (preset->name.toStdString());
        const auto steady = render (preset->name, input, [] { return 512; });
        // Mostly short and odd, now and then one frame, or longer than the
        // kernel's 4096-frame scratch buffers and than the prepared 512.
        std::mt19937 random (static_cast<unsigned> (preset->name.hashCode()));
        std::uniform_int_distribution<int> kind (0, 19), shortLength (2, 700), longLength (4000, 9000);
        const auto cut = render (preset->name, input, [&] {
            const int k = kind (random);
            return k == 0 ? 1 : k == 1 ? longLength (random) : shortLength (random);
        });

        ASSERT_TRUE (testsupport::allFinite (steady.getReadPointer (0), static_cast<size_t> (length)));
        EXPECT_GT (testsupport::rms (steady.getReadPointer (0) + 2 * 48000, 48000), 1.0e-4) << "no tail to compare";
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < length; ++i)
                ASSERT_EQ (steady.getSample (c, i), cut.getSample (c, i)) << "channel " << c << " frame " << i;
    }
}
