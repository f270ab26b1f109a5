#include "VantrelProcessor.h"

#include "UI/Controls/ContainerBuilder.h"
#include "Kernel/VantrelDSPKernel.h"
#include "VantrelDesign.h"
#include "VantrelEditor.h"

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
    auto editor = std::make_unique<VantrelEditor> (*this, std::make_unique<VantrelDesign>(),
                                                   std::make_unique<ContainerBuilder>());
    editor->setSize (VantrelEditor::width, VantrelEditor::height);
    editor->configureControls();
    return editor.release();
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return VantrelProcessor::create().release();
}
