#pragma once

#include <gtest/gtest.h>

#include "VantrelProcessor.h"

#include <functional>
#include <memory>
#include <vector>

namespace juce
{
// The platform's message pump: delivers the processor's timer callbacks
// without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// Helpers shared by the processor tests. Each fixture starts with an empty
// user preset folder (HOME points at a temporary folder, see the test main).
namespace plugintest
{
inline juce::File userFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile ("KARVON")
        .getChildFile ("KARVON Vantrel");
}

inline void clearUserFolder()
{
    userFolder().getParentDirectory().deleteRecursively();
}

inline float hostValue (EffectProcessor& processor, const juce::String& id)
{
    return processor.parameterTree.getRawParameterValue (id)->load();
}

// Sets a host parameter the way a host's automation does (denormalised value).
inline void automate (EffectProcessor& processor, const juce::String& id, float value)
{
    auto* parameter = processor.parameterTree.getParameter (id);
    const float normalised = parameter->convertTo0to1 (value);
    parameter->setValue (normalised);
    parameter->sendValueChangedMessageToListeners (normalised);
}

// The numeric value of every parameter of a state tree, by id.
inline std::map<juce::String, double> valuesOf (const juce::ValueTree& state)
{
    std::map<juce::String, double> values;
    for (const auto& child : state)
        values[child["id"].toString()] = static_cast<double> (child["value"]);
    return values;
}

// The processor's current values, by id.
inline std::map<juce::String, double> currentValues (EffectProcessor& processor)
{
    std::map<juce::String, double> values;
    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            values[ranged->paramID] = ranged->convertFrom0to1 (ranged->getValue());
    return values;
}

// The state a host saves, and its restore.
inline juce::MemoryBlock stateOf (EffectProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

inline void restore (EffectProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}

// A state block holding `xmlText`, wrapped as the framework wraps a state.
inline juce::MemoryBlock blockFromXml (const juce::String& xmlText)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (*juce::XmlDocument::parse (xmlText), block);
    return block;
}

// Delivers messages for `milliseconds`, or until `done` holds. Waits for a
// timer are long: a busy machine may run it late, and a wait that succeeds
// ends at once.
inline void pumpMessagesFor (int milliseconds, const std::function<bool()>& done = [] { return false; })
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (milliseconds);
    while (juce::Time::getMillisecondCounter() < end && ! done())
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (5);
}

inline std::vector<juce::String> namesOf (const std::vector<Preset*>& presets)
{
    std::vector<juce::String> names;
    for (auto* p : presets)
        names.push_back (p->name);
    return names;
}

inline void writeUserFile (const juce::String& fileName, const juce::String& text)
{
    userFolder().createDirectory();
    ASSERT_TRUE (userFolder().getChildFile (fileName).replaceWithText (text));
}

// A preset file holding only the given key/value pairs.
inline juce::String presetText (const std::vector<std::pair<juce::String, juce::String>>& pairs)
{
    juce::String text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : pairs)
        text << "<key>" << key << "</key><real>" << value << "</real>\n";
    return text + "</dict>\n</plist>\n";
}

class ProcessorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clearUserFolder();
        processor = VantrelProcessor::create();
    }

    void TearDown() override
    {
        processor.reset();
        clearUserFolder();
    }

    void prepare (double sampleRate = 48000.0, int channels = 2, int blockSize = 512)
    {
        const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        ASSERT_TRUE (processor->setBusesLayout (layout));
        processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    std::unique_ptr<VantrelProcessor> processor;
};
} // namespace plugintest
