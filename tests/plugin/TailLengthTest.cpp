// The tail the processor reports to the host: it must cover what the effect
// really renders after the input stops (measured down to -90 dBFS after a
// full-scale burst, through the processor in host blocks) without being
// absurdly longer, and the host hears of every change.
#include "ProcessorFixture.h"

#include "Kernel/TailLength.h"

#include <cmath>
#include <random>
#include <thread>

using plugintest::pumpMessagesFor;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 509; // an odd host block
// A tail still above the threshold this long after the input counts as endless.
constexpr double kLongestMeasured = TailLength::kMaximumSeconds + 5.0;

void prepare (EffectProcessor& processor)
{
    processor.setRateAndBufferSizeDetails (kRate, kBlock);
    processor.prepareToPlay (kRate, kBlock);
}

// Seconds from the end of a 1 s full-scale noise burst to the last output
// sample above -90 dBFS, on a prepared processor.
double measuredTail (EffectProcessor& processor)
{
    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer midi;
    std::minstd_rand random (7);
    std::uniform_real_distribution<float> noise (-0.9f, 0.9f);
    const auto burstFrames = static_cast<long> (kRate);
    const auto totalFrames = burstFrames + static_cast<long> (kLongestMeasured * kRate);
    const float threshold = std::pow (10.0f, -90.0f / 20.0f);
    long lastLoud = burstFrames;
    for (long done = 0; done < totalFrames; done += kBlock)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kBlock; ++i)
                buffer.setSample (c, i, done + i < burstFrames ? noise (random) : 0.0f);
        processor.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kBlock; ++i)
                if (std::fabs (buffer.getSample (c, i)) > threshold)
                    lastLoud = std::max (lastLoud, done + i);
    }
    return static_cast<double> (lastLoud - burstFrames) / kRate;
}

void applySettings (EffectProcessor& processor, const std::vector<std::pair<juce::String, float>>& settings)
{
    // Wet only, no ducking, voices silent unless a case sets them.
    for (const auto& [id, value] : std::vector<std::pair<juce::String, float>> {
             { "DryWet", 100.0f }, { "DuckingThreshold", 0.0f }, { "PreDelay", 0.0f }, { "PitchShifterModeA", 0.0f },
             { "PitchShifterModeB", 0.0f }, { "PitchShifterAmountA", 0.0f }, { "PitchShifterAmountB", 0.0f },
             { "PitchA", 0.0f }, { "PitchB", 0.0f }, { "FineA", 0.0f }, { "FineB", 0.0f } })
        plugintest::automate (processor, id, value);
    for (const auto& [id, value] : settings)
        plugintest::automate (processor, id, value);
}

struct Recorder : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
        if (details.latencyChanged)
            ++tailReports;
    }
    int tailReports = 0;
};
} // namespace

TEST (TailLength, CoversTheMeasuredDecayWithoutBeingAbsurdlyLonger)
{
    using Settings = std::vector<std::pair<juce::String, float>>;
    const std::vector<Settings> cases {
        { { "ReverbLength", 0.2f } },
        { { "ReverbLength", 5.0f }, { "PreDelay", 200.0f } },
        { { "ReverbLength", 30.0f }, { "RoomSize", 0.0f } },
        { { "ReverbLength", 12.0f }, { "InputGain", 12.0f }, { "RoomSize", 100.0f }, { "ReverbColor", 18000.0f } },
        // Voices shifting before and after the reverb delay it by their window.
        { { "ReverbLength", 1.0f }, { "PitchShifterModeA", 0.0f }, { "PitchShifterAmountA", 100.0f }, { "DelayTimeA", 1000.0f },
          { "PitchShifterModeB", 2.0f }, { "PitchShifterAmountB", 100.0f }, { "DelayTimeB", 1000.0f }, { "PitchB", 7.0f } },
        // Voices feeding the reverb back into itself.
        { { "ReverbLength", 0.2f }, { "PitchShifterModeB", 1.0f }, { "PitchB", 5.0f }, { "PitchShifterAmountB", 100.0f } },
        { { "ReverbLength", 8.0f }, { "PitchShifterModeB", 1.0f }, { "PitchB", 1.0f }, { "PitchShifterAmountB", 100.0f } },
        { { "ReverbLength", 20.0f }, { "PitchShifterModeA", 1.0f }, { "PitchA", 12.0f }, { "PitchShifterAmountA", 50.0f },
          { "PitchShifterModeB", 1.0f }, { "PitchB", -12.0f }, { "PitchShifterAmountB", 50.0f } },
        { { "ReverbLength", 2.0f }, { "PitchShifterModeB", 1.0f }, { "PitchB", 24.0f }, { "PitchShifterAmountB", 25.0f } },
        // Nearly unison and fed back in full: it sustains itself.
        { { "ReverbLength", 20.0f }, { "PitchShifterModeB", 1.0f }, { "FineB", 10.0f }, { "PitchShifterAmountB", 100.0f } },
    };
    for (const auto& settings : cases)
    {
        juce::String name;
        for (const auto& [id, value] : settings)
            name << id << "=" << value << " ";
        auto processor = VantrelProcessor::create();
        prepare (*processor);
        applySettings (*processor, settings);
        const double reported = processor->getTailLengthSeconds();
        const double measured = measuredTail (*processor);
        if (measured >= TailLength::kMaximumSeconds)
        {
            EXPECT_EQ (reported, TailLength::kMaximumSeconds) << name;
            continue;
        }
        EXPECT_GE (reported, measured) << name;
        EXPECT_LE (reported, 2.5 * measured + 1.0) << name;
        std::printf ("%-60s reported %6.2f s, measured %6.2f s\n", name.toRawUTF8(), reported, measured);
    }
}

TEST (TailLengthThreads, ALongerReverbLengthensItAndTheHostHearsOfItOnTheMessageThread)
{
    auto processor = VantrelProcessor::create();
    Recorder recorder;
    processor->addListener (&recorder);
    prepare (*processor);
    // From the default preset's tail to a short one: reported once.
    applySettings (*processor, { { "ReverbLength", 2.0f } });
    pumpMessagesFor (30000, [&] { return recorder.tailReports > 0; });
    pumpMessagesFor (2 * TailWatcher::intervalMs);
    ASSERT_EQ (recorder.tailReports, 1);
    const double shorter = processor->getTailLengthSeconds();

    // Automation from another thread, as a host's audio thread sends it.
    std::thread automation ([&] { plugintest::automate (*processor, "ReverbLength", 10.0f); });
    automation.join();
    const double longer = processor->getTailLengthSeconds();
    EXPECT_GT (longer, shorter + 10.0);
    pumpMessagesFor (30000, [&] { return recorder.tailReports > 1; });
    EXPECT_EQ (recorder.tailReports, 2);

    // Nothing changed, nothing reported.
    pumpMessagesFor (3 * TailWatcher::intervalMs);
    EXPECT_EQ (recorder.tailReports, 2);
    processor->removeListener (&recorder);
}
