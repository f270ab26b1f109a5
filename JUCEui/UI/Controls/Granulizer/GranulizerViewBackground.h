#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The floor grid under the grains: lines along the depth converging towards
// the centre and cross lines at even depths.
class GranulizerViewBackground : public juce::Component
{
public:
    GranulizerViewBackground();

    void paint (juce::Graphics& g) override;
    void resized() override;

    // Built on the first paint for the current size.
    juce::Path gridPath;

private:
    void buildGrid();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GranulizerViewBackground)
};
