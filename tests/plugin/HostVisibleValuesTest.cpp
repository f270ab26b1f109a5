// What the host reads back after a restore: the normalised value it saw when
// it saved, for every parameter, whatever it wrote in between.
#include "ProcessorFixture.h"

#include <random>

using namespace plugintest;

namespace
{
std::vector<float> hostValues (EffectProcessor& processor)
{
    std::vector<float> values;
    for (auto* parameter : processor.getParameters())
        values.push_back (parameter->getValue());
    return values;
}

// Writes a normalised value to every parameter the way a host does, in the
// given order; in-between values included (0.95 on a switch, 0.37 on a mode).
void hostWrites (EffectProcessor& processor, const std::vector<float>& values, const std::vector<int>& order)
{
    auto& parameters = processor.getParameters();
    for (const int i : order)
    {
        parameters[i]->beginChangeGesture();
        parameters[i]->setValueNotifyingHost (values[static_cast<size_t> (i)]);
        parameters[i]->endChangeGesture();
    }
}

juce::MemoryBlock saved (EffectProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

void restore (EffectProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
}
} // namespace

TEST_F (ProcessorTest, EveryRestoreGivesTheHostBackTheValuesItSaved)
{
    prepare();
    std::mt19937 random (20261207);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    const int count = processor->getParameters().size();
    std::vector<int> order (static_cast<size_t> (count));
    std::iota (order.begin(), order.end(), 0);

    for (int round = 0; round < 40; ++round)
    {
        SCOPED_TRACE (round);
        std::vector<float> first (order.size()), second (order.size());
        for (auto& v : first)
            v = unit (random);
        for (auto& v : second)
            v = unit (random);
        // The switch's in-between values, both sides of the middle.
        first[4] = 0.95f;
        second[4] = round % 2 == 0 ? 0.78f : 0.05f;

        std::shuffle (order.begin(), order.end(), random);
        hostWrites (*processor, first, order);
        const auto expected = hostValues (*processor);
        const auto block = saved (*processor);

        // Into the same instance after other writes, in another order.
        std::shuffle (order.begin(), order.end(), random);
        hostWrites (*processor, second, order);
        restore (*processor, block);
        EXPECT_EQ (hostValues (*processor), expected);

        // Into a fresh instance, before and after its first prepare.
        auto fresh = VantrelProcessor::create();
        restore (*fresh, block);
        EXPECT_EQ (hostValues (*fresh), expected);
        fresh->setRateAndBufferSizeDetails (44100.0, 128);
        fresh->prepareToPlay (44100.0, 128);
        EXPECT_EQ (hostValues (*fresh), expected);

        // And saving again gives the same block.
        EXPECT_EQ (saved (*fresh), block);
    }
}

TEST_F (ProcessorTest, ASavedHostValueIsTakenOnlyWhereItMeansTheSavedValue)
{
    auto restoreXml = [this] (const juce::String& text) {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (*juce::XmlDocument::parse (text), block);
        restore (*processor, block);
    };
    auto* inputFilterType = processor->parameterTree.getParameter ("InputFilterType");
    auto* pitchA = processor->parameterTree.getParameter ("PitchA");

    // A state from before host values were saved: the value decides.
    inputFilterType->setValueNotifyingHost (0.78f);
    restoreXml (R"(<Parameters><PARAM id="InputFilterType" value="1"/></Parameters>)");
    EXPECT_EQ (inputFilterType->getValue(), 1.0f);

    // A host value that contradicts the value, or lies outside 0..1, is not taken.
    restoreXml (R"(<Parameters><PARAM id="InputFilterType" value="0" hostValue="0.95"/>
                   <PARAM id="PitchA" value="5" hostValue="7"/></Parameters>)");
    EXPECT_EQ (inputFilterType->getValue(), 0.0f);
    EXPECT_EQ (pitchA->getValue(), pitchA->convertTo0to1 (5.0f));
    EXPECT_EQ (hostValue (*processor, "InputFilterType"), 0.0f);

    restoreXml (R"(<Parameters><PARAM id="InputFilterType" value="0" hostValue="0.25"/></Parameters>)");
    EXPECT_EQ (inputFilterType->getValue(), 0.25f);
    EXPECT_EQ (hostValue (*processor, "InputFilterType"), 0.0f);
}
