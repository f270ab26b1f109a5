#pragma once

#include "Basics/EffectProcessor.h"

#include <memory>

// The effect's processor: the framework processor around the effect's kernel,
// with the effect's presets, identifiers and buses.
class VantrelProcessor : public EffectProcessor
{
public:
    // The effect as the plug-in factory builds it.
    static std::unique_ptr<VantrelProcessor> create();

    VantrelProcessor (std::unique_ptr<FilterDSPKernel> kernel,
                      std::string presetExtension,
                      std::string productIdentifier,
                      std::string defaultPresetName,
                      std::unique_ptr<PresetParser> parser,
                      const juce::AudioProcessor::BusesProperties& buses);

    juce::AudioProcessorEditor* createEditor() override;
};
