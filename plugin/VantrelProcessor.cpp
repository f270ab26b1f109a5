#include "VantrelProcessor.h"

#include "Kernel/VantrelDSPKernel.h"

std::unique_ptr<VantrelProcessor> VantrelProcessor::create()
{
    return std::make_unique<VantrelProcessor> (
        std::make_unique<VantrelDSPKernel>(),
        "vnprs",
        "KRVNVANTREL",
        "Smooth Vantrel",
        std::make_unique<PresetParser>(),
        BusesProperties()
            .withInput ("Input", juce::AudioChannelSet::stereo(), true)
            .withOutput ("Output", juce::AudioChannelSet::stereo(), true));
}

VantrelProcessor::VantrelProcessor (std::unique_ptr<FilterDSPKernel> kernel,
                                    std::string presetExtension,
                                    std::string productIdentifier,
                                    std::string defaultPresetName,
                                    std::unique_ptr<PresetParser> parser,
                                    const juce::AudioProcessor::BusesProperties& buses)
    : EffectProcessor (std::move (kernel), std::move (presetExtension), std::move (productIdentifier),
                       std::move (defaultPresetName), std::move (parser), buses)
{
}

juce::AudioProcessorEditor* VantrelProcessor::createEditor()
{
    // Until the effect's own editor exists the host gets the generic one.
    return new juce::GenericAudioProcessorEditor (*this);
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return VantrelProcessor::create().release();
}
