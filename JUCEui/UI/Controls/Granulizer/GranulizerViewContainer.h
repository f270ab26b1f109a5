#pragma once

#include "UI/Controls/Granulizer/GrainsComponent.h"
#include "UI/Controls/Granulizer/GranulizerViewBackground.h"
#include "UI/Controls/UIContainer.h"

#include <memory>

// The grains of a granular engine as a three-dimensional cloud above a floor
// grid. The grains are pushed in by the owner through setGrains.
class GranulizerViewContainer : public UIContainer
{
public:
    GranulizerViewContainer (Parameter* parameter, std::string name);

    void attach (juce::AudioProcessorValueTreeState&) override {}
    void paint (juce::Graphics&) override {}
    void resized() override;

    // Message thread only.
    void setGrains (int count, float** grains);

    std::unique_ptr<GranulizerViewBackground> background;
    std::unique_ptr<GrainsComponent> grainsView;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GranulizerViewContainer)
};
