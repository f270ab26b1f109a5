// The orders in which hosts call a new instance: values set, states restored
// and values read before the first prepare must all still hold after it.
#include "ProcessorFixture.h"

using namespace plugintest;

namespace
{
// Records every parameter change the processor reports to its host.
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { changed.push_back (index); }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    std::vector<int> changed;
};

float renderedPeak (EffectProcessor& processor, float inputLevel)
{
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    float peakDifference = 0.0f;
    for (int block = 0; block < 8; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (c, i, (i % 64 < 32) ? inputLevel : -inputLevel);
        processor.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                peakDifference = std::max (peakDifference, std::abs (buffer.getSample (c, i) - ((i % 64 < 32) ? inputLevel : -inputLevel)));
    }
    return peakDifference;
}
} // namespace

TEST_F (ProcessorTest, PreparingChangesNoValueAHostHasSeenOrSet)
{
    // A host reads the values of a new instance, sets one, then activates it.
    const auto before = currentValues (*processor);
    automate (*processor, "DryWet", 0.0f);
    HostListener host;
    processor->addListener (&host);
    prepare();
    prepare (96000.0);
    processor->removeListener (&host);

    EXPECT_TRUE (host.changed.empty()) << host.changed.size() << " values changed behind the host's back";
    auto expected = before;
    expected["DryWet"] = 0.0;
    EXPECT_EQ (currentValues (*processor), expected);
    // Fully dry from the first sample: the value set before the prepare is
    // the one rendered, without a ramp from the preset's 50 %.
    EXPECT_LT (renderedPeak (*processor, 0.25f), 1e-6f);
}

TEST_F (ProcessorTest, AReopenedProjectSoundsAsSavedWhenTheHostActivatesBeforeRestoring)
{
    // The project: a few values set by the host, saved with the host's own
    // copy of every value it knows.
    prepare();
    const std::map<juce::String, float> setByHost { { "PitchA", 7.0f }, { "DuckingThreshold", -20.0f }, { "DryWet", 70.0f },
                                                    { "PitchShifterModeB", 2.0f } };
    for (const auto& [id, value] : setByHost)
        automate (*processor, id, value);
    const auto saved = stateOf (*processor);
    const auto expected = currentValues (*processor);

    // Reopening as a common host does it: create, activate, restore the
    // plug-in's state, then send its copies of the values it saved, updated
    // by whatever the plug-in reported since it was created.
    auto reopened = VantrelProcessor::create();
    std::map<juce::String, float> hostCopy;
    for (const auto& [id, value] : setByHost)
        hostCopy[id] = reopened->parameterTree.getParameter (id)->convertTo0to1 (value);
    struct CopyKeeper : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor* p, int index, float value) override
        {
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p->getParameters()[index]))
                if (copy->count (ranged->paramID) != 0)
                    (*copy)[ranged->paramID] = value;
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        std::map<juce::String, float>* copy = nullptr;
    } keeper;
    keeper.copy = &hostCopy;
    reopened->addListener (&keeper);
    reopened->setRateAndBufferSizeDetails (48000.0, 256);
    reopened->prepareToPlay (48000.0, 256);
    // The VST3 wrapper tells the host nothing of the restore's own changes.
    reopened->removeListener (&keeper);
    restore (*reopened, saved);
    for (const auto& [id, normalised] : hostCopy)
        reopened->parameterTree.getParameter (id)->setValueNotifyingHost (normalised);

    EXPECT_EQ (currentValues (*reopened), expected);
    EXPECT_NEAR (reopened->getKernel().getParameter (7), 7.0f, 1e-6f);
}

TEST_F (ProcessorTest, TheOfflineStateFollowsTheHostBlockAfterBlock)
{
    // Hosts pass it before every block, mostly unchanged.
    for (const bool offline : { true, true, false, false, true })
    {
        processor->setNonRealtime (offline);
        EXPECT_EQ (processor->isNonRealtime(), offline);
    }
}
