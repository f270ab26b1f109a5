#include "ProcessorFixture.h"

#include <cmath>
#include <limits>

using plugintest::ProcessorTest;

namespace
{
enum class Kind { Float, Int, Bool };
enum class Mapping { Linear, Cube, Note };

struct Expected
{
    const char* id;
    Kind kind;
    float min, max, defaultValue;
    Mapping mapping;
};

// The effect's published parameters, in the order the host sees them.
const Expected expectedParameters[] = {
    { "DryWet", Kind::Float, 0, 100, 50, Mapping::Linear },
    { "InputGain", Kind::Float, -30, 12, 0, Mapping::Linear },
    { "InputFilterResonance", Kind::Float, -24, 24, 0, Mapping::Linear },
    { "InputFilterFrequency", Kind::Float, 20, 20000, 400, Mapping::Note },
    { "InputFilterType", Kind::Bool, 0, 1, 0, Mapping::Linear },
    { "PitchShifterModeA", Kind::Int, 0, 2, 0, Mapping::Linear },
    { "PitchShifterAmountA", Kind::Float, 0, 100, 0, Mapping::Linear },
    { "PitchA", Kind::Int, -24, 24, 0, Mapping::Linear },
    { "FineA", Kind::Float, -50, 50, 0, Mapping::Linear },
    { "DelayTimeA", Kind::Float, 40, 1000, 500, Mapping::Linear },
    { "PitchShifterModeB", Kind::Int, 0, 2, 0, Mapping::Linear },
    { "PitchShifterAmountB", Kind::Float, 0, 100, 0, Mapping::Linear },
    { "PitchB", Kind::Int, -24, 24, 0, Mapping::Linear },
    { "FineB", Kind::Float, -50, 50, 0, Mapping::Linear },
    { "DelayTimeB", Kind::Float, 40, 1000, 500, Mapping::Linear },
    { "PreDelay", Kind::Float, 0, 200, 10, Mapping::Cube },
    { "ReverbLength", Kind::Float, 0.2f, 30, 5, Mapping::Cube },
    { "ReverbColor", Kind::Float, 800, 18000, 6000, Mapping::Cube },
    { "RoomSize", Kind::Float, 0, 100, 50, Mapping::Linear },
    { "ModulationRate", Kind::Float, 0.5f, 12.5f, 2.5f, Mapping::Linear },
    { "ModulationAmount", Kind::Float, 0, 100, 30, Mapping::Linear },
    { "DuckingThreshold", Kind::Float, -40, 0, 0, Mapping::Linear },
    { "DuckingAttack", Kind::Float, 1, 200, 20, Mapping::Linear },
    { "DuckingRelease", Kind::Float, 10, 1000, 100, Mapping::Linear },
};

float expectedMidpoint (const Expected& e)
{
    switch (e.mapping)
    {
        case Mapping::Cube: return e.min + (e.max - e.min) * 0.125f;
        case Mapping::Note: return std::sqrt (e.min * e.max); // equal musical steps: the geometric mean
        case Mapping::Linear: break;
    }
    return 0.5f * (e.min + e.max);
}
} // namespace

TEST_F (ProcessorTest, PublishesTheTwentyFourParametersWithTheirKindsRangesStepsAndMappings)
{
    const auto& parameters = processor->getParameters();
    ASSERT_EQ (parameters.size(), 24);
    // The DEFAULT preset holds the parameter list's own defaults.
    const auto listDefaults = plugintest::valuesOf (processor->getPresetList (EffectProcessor::factoryList)[0]->state);

    for (int i = 0; i < 24; ++i)
    {
        const auto& e = expectedParameters[i];
        SCOPED_TRACE (e.id);
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        ASSERT_NE (parameter, nullptr);
        EXPECT_EQ (parameter->paramID, e.id);
        EXPECT_EQ (parameter->getName (100), e.id);
        EXPECT_TRUE (parameter->getLabel().isEmpty());

        const auto& range = parameter->getNormalisableRange();
        EXPECT_FLOAT_EQ (range.start, e.min);
        EXPECT_FLOAT_EQ (range.end, e.max);
        EXPECT_NEAR (listDefaults.at (e.id), e.defaultValue, 1e-3f);
        // Hosts take a step count only from a discrete parameter.
        EXPECT_EQ (parameter->isDiscrete(), e.kind != Kind::Float);

        switch (e.kind)
        {
            case Kind::Int:
                EXPECT_NE (dynamic_cast<juce::AudioParameterInt*> (parameter), nullptr);
                EXPECT_EQ (parameter->getNumSteps(), static_cast<int> (e.max - e.min) + 1);
                break;
            case Kind::Bool: EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (parameter), nullptr); break;
            case Kind::Float:
                ASSERT_NE (dynamic_cast<juce::AudioParameterFloat*> (parameter), nullptr);
                EXPECT_FLOAT_EQ (range.interval, 0.01f);
                EXPECT_NEAR (range.convertFrom0to1 (0.5f), expectedMidpoint (e), std::abs (expectedMidpoint (e)) * 1e-3f + 1e-4f);
                EXPECT_NEAR (range.convertTo0to1 (expectedMidpoint (e)), 0.5f, 1e-3f);
                break;
        }
    }

    // Hosts show, and read back, the editor's names of modes and filter types;
    // a pitch is its number.
    auto* mode = processor->parameterTree.getParameter ("PitchShifterModeA");
    EXPECT_EQ (mode->getText (0.5f, 64), "FEEDBACK");
    EXPECT_EQ (mode->getValueForText ("post"), 1.0f);
    EXPECT_EQ (mode->getValueForText ("1"), 0.5f);
    auto* type = processor->parameterTree.getParameter ("InputFilterType");
    EXPECT_EQ (type->getText (0.0f, 64) + " " + type->getText (1.0f, 64), "lowshelf hipass");
    EXPECT_EQ (type->getValueForText ("hipass"), 1.0f);
    EXPECT_EQ (processor->parameterTree.getParameter ("PitchA")->getText (0.25f, 64), "-12");
    // A value with its unit reads as the control editor reads it: thousands
    // of a frequency, seconds of milliseconds, a cut below 0 dB.
    auto* frequency = processor->parameterTree.getParameter ("InputFilterFrequency");
    EXPECT_NEAR (frequency->convertFrom0to1 (frequency->getValueForText ("2.5 kHz")), 2500.0f, 0.5f);
    auto* window = processor->parameterTree.getParameter ("DelayTimeA");
    EXPECT_NEAR (window->convertFrom0to1 (window->getValueForText ("0.5s")), 500.0f, 0.01f);
    auto* gain = processor->parameterTree.getParameter ("InputGain");
    EXPECT_NEAR (gain->convertFrom0to1 (gain->getValueForText ("-6 dB")), -6.0f, 0.01f);
}

TEST_F (ProcessorTest, StartsOnTheDefaultPresetAndDeclaresItsValuesTheDefaults)
{
    // The preset is the instance's sound from construction on: the tree and
    // the kernel hold its values before any prepare.
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (processor->currentPreset->name, "SMOOTH VANTREL");
    EXPECT_EQ (processor->currentPresetList, EffectProcessor::factoryList);
    EXPECT_EQ (processor->getPresetList (EffectProcessor::factoryList)[static_cast<size_t> (processor->currentPresetIndex)],
               processor->currentPreset);

    const auto preset = plugintest::valuesOf (processor->currentPreset->state);
    auto& kernel = processor->getKernel();
    for (unsigned long i = 0; i < 24; ++i)
    {
        const auto* id = expectedParameters[i].id;
        EXPECT_NEAR (plugintest::hostValue (*processor, id), preset.at (id), 0.01) << id;
        EXPECT_NEAR (kernel.getParameter (i), preset.at (id), 0.01) << id;

        // What a host shows as the default, and resets to, is what it plays.
        auto* parameter = processor->parameterTree.getParameter (id);
        EXPECT_NEAR (parameter->convertFrom0to1 (parameter->getDefaultValue()), preset.at (id), 0.01) << id;
    }
    EXPECT_NEAR (kernel.getParameter (7), -12.0f, 1e-6f) << "PitchA of the preset, not the default 0";

    EXPECT_EQ (processor->getName(), "KARVON Vantrel");
    EXPECT_TRUE (processor->hasEditor());
    // The reverb's tail at its default length (5 s): at least 90 dB of its fall.
    EXPECT_GE (processor->getTailLengthSeconds(), 7.5);
    EXPECT_EQ (processor->productIdentifier.size(), 11u);
}

TEST_F (ProcessorTest, HostChangesReachTheKernelByIdentifier)
{
    auto& kernel = processor->getKernel();
    plugintest::automate (*processor, "DryWet", 80.0f);
    plugintest::automate (*processor, "PitchA", -12.0f);
    plugintest::automate (*processor, "InputFilterType", 1.0f);
    plugintest::automate (*processor, "ReverbColor", 12000.0f);

    EXPECT_NEAR (kernel.getParameter (0), 80.0f, 1e-3f);
    EXPECT_NEAR (kernel.getParameter (7), -12.0f, 1e-3f);
    EXPECT_NEAR (kernel.getParameter (4), 1.0f, 1e-3f);
    EXPECT_NEAR (kernel.getParameter (17), 12000.0f, 1.0f);
    // Untouched parameters keep their values.
    EXPECT_NEAR (kernel.getParameter (1), 0.0f, 1e-6f);
}

TEST_F (ProcessorTest, NonFiniteOrUnknownChangesAreIgnored)
{
    auto& kernel = processor->getKernel();
    processor->parameterChanged ("DryWet", std::numeric_limits<float>::quiet_NaN());
    processor->parameterChanged ("RoomSize", std::numeric_limits<float>::infinity());
    processor->parameterChanged ("NoSuchParameter", 3.0f);
    processor->parameterChanged ("DuckingPeakMeter", 3.0f);

    EXPECT_NEAR (kernel.getParameter (0), 50.0f, 1e-6f);
    EXPECT_NEAR (kernel.getParameter (18), 50.0f, 1e-6f);
    for (unsigned long i = 0; i < 24; ++i)
        EXPECT_TRUE (std::isfinite (kernel.getParameter (i)));
}
