#pragma once

#include "UI/Controls/CurveSequencer/CurveSequencerGrid.h"
#include "UI/Controls/CurveSequencer/CurveSequencerStep.h"
#include "UI/Controls/CurveSequencer/CurveSequencerStepDelegate.h"
#include "UI/Controls/UIContainer.h"

#include <memory>
#include <vector>

// A sequence of 16 steps, each with a level and a curve mode (32 host
// parameters: the 16 levels, then the 16 modes). Steps are coloured in
// alternating groups that follow the musical resolution.
class CurveSequencerContainer : public UIContainer, public CurveSequencerStepDelegate
{
public:
    static constexpr int stepCount = 16;

    // `parameter` followed by `linked` must hold the 16 level parameters and
    // then the 16 curve parameters; steps without both are not built.
    CurveSequencerContainer (Parameter* parameter, std::vector<Parameter*> linked, std::string name);
    ~CurveSequencerContainer() override;

    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour c) override;
    void setIsGrey (bool grey) override;

    // Steps in use, clamped to 1..16.
    void setSequencerLength (int n);
    // Steps per beat grouping: colours and blink length.
    void setResolution (float r);
    void setAmount (float a);
    void setRandomness (float r);
    void setSnap (bool s);
    // Blinks step i (ignored outside the steps).
    void blinkStep (int i);

    void onValueSet (int index, float value) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // Steps of one colour before the colour switches (at least 1).
    int colourGroupSize() const;

    int sequencerLength = stepCount;
    float resolution = 1.0f;
    float randomness = 1.0f;
    std::vector<std::unique_ptr<CurveSequencerStep>> steps;
    std::unique_ptr<CurveSequencerGrid> grid;

private:
    void updateColors();
    void layoutSteps();
    // The level the step before `step` draws towards.
    static float levelAfter (const CurveSequencerStep& step, float value);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveSequencerContainer)
};
