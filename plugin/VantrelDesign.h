#pragma once

#include "UI/Page.h"
#include "UI/PluginDesign.h"
#include "UI/Section.h"

#include <memory>

// The effect's editor: one page of six titled sections (input, the two pitch
// shifters, reverb, ducker, mix) and the control settings of its parameters.
class VantrelDesign : public PluginDesign
{
public:
    VantrelDesign();
    ~VantrelDesign() override;

    std::vector<Page*> getUiStack() override;
    std::map<int, ParameterUISettings> getUiSettings() override;
    juce::Image getSmallLogo() override;
    juce::Image getTransparentLogo() override;
    juce::Image getKarvonLogo() override;

    juce::Image makerLogo;
    juce::Image smallLogo;
    juce::Image transparentLogo;
    std::unique_ptr<Section> inputSection;
    std::unique_ptr<Section> pitchShifterASection;
    std::unique_ptr<Section> pitchShifterBSection;
    std::unique_ptr<Section> reverbSection;
    std::unique_ptr<Section> duckerSection;
    std::unique_ptr<Section> mixSection;
    std::unique_ptr<Page> page;
};
