#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The strip under a curve-sequencer step: a tinted box with the icon of the
// step's curve mode.
class CurveSequencerStepFooter : public juce::Component
{
public:
    // How a step's level moves towards the next step.
    enum CurveMode
    {
        flat = 0,        // holds its level
        towardsNext = 1, // straight line to the next step's level
        rise = 2,        // straight line up to 1
        fall = 3,        // starts at 1, straight line down to its level
        smooth = 4       // S-curve to the next step's level
    };

    CurveSequencerStepFooter();

    void setCurveMode (int mode);
    void setColor (juce::Colour c);
    void setIsGrey (bool grey);

    void paint (juce::Graphics& g) override;

    // The icon of a mode in a footer of the given size (empty for unknown modes).
    static juce::Path iconFor (int mode, float width, float height);

    int curveMode = flat;
    juce::Colour color;
    bool isGrey = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveSequencerStepFooter)
};
