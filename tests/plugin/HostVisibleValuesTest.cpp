// What the host reads back after a restore: the normalised value it saw when
// it saved, for every parameter, whatever it wrote in between.
#include "ProcessorFixture.h"
#include "UI/Controls/HostParameter.h"

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
        // The host reads back the very numbers it wrote, steps or not.
        const auto expected = hostValues (*processor);
        EXPECT_EQ (expected, first);
        const auto block = stateOf (*processor);

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
        EXPECT_EQ (stateOf (*fresh), block);
    }
}

TEST_F (ProcessorTest, ASavedHostValueIsTakenOnlyWhereItMeansTheSavedValue)
{
    auto restoreXml = [this] (const juce::String& text) { restore (*processor, blockFromXml (text)); };
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

TEST_F (ProcessorTest, ANumberBetweenStepsIsTheHostsOnlyTheSteppedValueIsRenderedAndShown)
{
    prepare();
    std::mt19937 random (7);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    auto& parameters = processor->getParameters();
    auto& kernel = processor->getKernel();

    for (int round = 0; round < 20; ++round)
    {
        for (auto* parameter : parameters)
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
            ASSERT_NE (ranged, nullptr);
            const float written = unit (random);
            const float held = ranged->convertFrom0to1 (written);
            ranged->setValueNotifyingHost (written);
            SCOPED_TRACE (ranged->paramID + " " + juce::String (written, 7));

            EXPECT_EQ (ranged->getValue(), written);
            // The tree, the kernel, the controls and the texts see the value on
            // the parameter's steps.
            EXPECT_EQ (processor->parameterTree.getRawParameterValue (ranged->paramID)->load(), held);
            EXPECT_EQ (HostParameter::read (ranged), held);
            EXPECT_EQ (ranged->getText (written, 64), ranged->getText (ranged->convertTo0to1 (held), 64));
            for (const auto& p : *kernel.parameters)
            {
                if (juce::String::fromUTF8 (p->id.c_str()) == ranged->paramID)
                {
                    // Frequencies come back through the kernel's pitch scale.
                    EXPECT_NEAR (kernel.getParameter (static_cast<unsigned long> (p->index)), held,
                                 1.0e-5f * std::max (1.0f, std::abs (held)));
                }
            }
        }
    }

    // A value set in the parameter's own units (a preset, a control) is
    // reported as that value's own number, as before.
    auto* pitchA = processor->parameterTree.getParameter ("PitchA");
    pitchA->setValueNotifyingHost (0.3141f);
    *dynamic_cast<juce::AudioParameterInt*> (pitchA) = 5;
    EXPECT_EQ (pitchA->getValue(), pitchA->convertTo0to1 (5.0f));
    // A number past the end reads back as the end, the value it sets.
    pitchA->setValueNotifyingHost (1.5f);
    EXPECT_EQ (pitchA->getValue(), 1.0f);
}

TEST_F (ProcessorTest, AHostNumberThatMeansThePresetsValueIsNoEditOfThePreset)
{
    ASSERT_NE (processor->currentPreset, nullptr);
    auto* mode = processor->parameterTree.getParameter ("PitchShifterModeA");
    auto* dryWet = processor->parameterTree.getParameter ("DryWet");
    const float modeNumber = mode->getValue();
    const float dryWetNumber = dryWet->getValue();

    // Numbers beside the preset's own that still mean its values.
    mode->setValueNotifyingHost (juce::jlimit (0.0f, 1.0f, modeNumber + (modeNumber < 0.5f ? 0.1f : -0.1f)));
    dryWet->setValueNotifyingHost (dryWetNumber + 0.00002f);
    ASSERT_NE (mode->getValue(), modeNumber);
    ASSERT_NE (dryWet->getValue(), dryWetNumber);
    EXPECT_FALSE (processor->differsFromPreset (*processor->currentPreset));
    EXPECT_FALSE (processor->reapplyCurrentPreset());

    // One step away is an edit.
    dryWet->setValueNotifyingHost (dryWet->convertTo0to1 (dryWet->convertFrom0to1 (dryWetNumber) + 0.01f));
    EXPECT_TRUE (processor->differsFromPreset (*processor->currentPreset));
}
