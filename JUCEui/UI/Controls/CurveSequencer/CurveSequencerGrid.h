#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "UI/Controls/CurveSequencer/CurveSequencerStep.h"

#include <memory>
#include <string>
#include <vector>

// The transparent layer over the sequencer's steps: it takes all the mouse
// input (levels above the footer line, curve modes on it) and draws the ratio
// lines with their labels, the step separators and the footer line.
class CurveSequencerGrid : public juce::Component
{
public:
    struct Ratio
    {
        Ratio (float ratio, std::string text, bool labelBelow, float alpha = 0.4f)
            : ratio (ratio), text (std::move (text)), labelBelow (labelBelow), alpha (alpha)
        {
        }

        float ratio;
        std::string text;
        bool labelBelow;
        float alpha;
    };

    CurveSequencerGrid();
    ~CurveSequencerGrid() override;

    // Steps in use, 1..16 (the number of steps is the upper bound).
    void setLength (int n);
    // Vertical zoom of the ratio lines: 1 shows the whole 0..1 range.
    void setAmount (float a);
    void setRatios (std::vector<Ratio> list);

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    bool isTouchingFooter (juce::Point<int> p) const;
    int getTouchIndex (juce::Point<int> p) const;
    void paint (juce::Graphics& g) override;
    void resized() override;

    // y of a ratio's line under the current amount.
    float ratioLine (float ratio) const;
    // The level of a ratio line under the current amount.
    float levelOfRatio (float ratio) const;
    // y of the footer line (the top of the step footers).
    float footerLine() const;

    bool snap = false;
    std::vector<CurveSequencerStep*> steps; // not owned
    const float top = 1.0f;
    int length = 16;
    float amount = 1.0f;
    juce::Point<int> pressedPosition;
    bool pressedOnFooter = false;
    int pressedIndex = 0;
    std::vector<Ratio> ratios;
    std::vector<std::unique_ptr<juce::Label>> labels;
    juce::Font font;

private:
    void layoutLabels();
    // Opens the host gesture of a parameter the current press writes, once
    // per press; the release closes them all.
    void touch (juce::RangedAudioParameter* parameter);
    void endGestures();

    bool pressTaken = false;
    std::vector<juce::RangedAudioParameter*> touched;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CurveSequencerGrid)
};
