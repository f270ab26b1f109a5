#include "ProcessorFixture.h"

#include "SignalAnalysis.h"

#include <atomic>
#include <thread>

using namespace plugintest;

// The audio thread renders while the message thread moves parameters, applies
// presets and saves the state: run under ThreadSanitizer, any unsynchronised
// hand-over between the two shows up here.
TEST (ProcessorThreads, MessageThreadChangesWhileTheAudioThreadRenders)
{
    clearUserFolder();
    auto processor = VantrelProcessor::create();
    processor->setRateAndBufferSizeDetails (48000.0, 256);
    processor->prepareToPlay (48000.0, 256);

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::atomic<bool> finite { true };
    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        int phase = 0;
        while (running.load())
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 256; ++i)
                    buffer.setSample (c, i, 0.2f * std::sin (0.05f * static_cast<float> (phase + i)));
            phase += 256;
            processor->processBlock (buffer, midi);
            if (! testsupport::allFinite (buffer.getReadPointer (0), 256))
                finite = false;
            ++blocks;
        }
    });

    const auto presets = processor->getPresetList (EffectProcessor::factoryList);
    auto* const* parameters = processor->getParameters().begin();
    const int parameterCount = processor->getParameters().size();
    for (int step = 0; step < 400; ++step)
    {
        auto* parameter = parameters[step % parameterCount];
        parameter->setValueNotifyingHost (static_cast<float> ((step * 37) % 100) / 100.0f);
        if (step % 40 == 0)
            processor->setPreset (step / 40 % static_cast<int> (presets.size()));
        if (step % 100 == 0)
        {
            juce::MemoryBlock state;
            processor->getStateInformation (state);
            processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
        }
        // Let the audio thread render in between.
        if (step % 10 == 0)
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
    while (blocks.load() < 20)
        std::this_thread::yield();
    running = false;
    audio.join();

    EXPECT_TRUE (finite.load());
}
