#pragma once

#include <juce_gui_extra/juce_gui_extra.h>

#include <vector>

// An animated picture of a modulated multi-line delay: for each delay line one
// sine trace per stereo channel scrolls across, spread by the offset and width
// settings and scaled by a depth per channel. A click pauses and resumes it.
class MultiCurvesComponent : public juce::AnimatedAppComponent
{
public:
    static constexpr int maxDelayLines = 4;
    static constexpr int maxChannels = 2;

    MultiCurvesComponent();

    void update() override;
    void resized() override;
    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& e) override;

    void setWidth (float w);
    void setOffset (float o);
    void setFeedback (float f);
    void setLeftDepth (float d);
    void setRightDepth (float d);
    void setRate (float r);
    void setEqualDepth (bool equal);
    void setDelayLinesCount (int count);
    void initCurves (int delayLinesCount, float offset, float width, float rightDepth, float leftDepth, bool equalDepth,
                     float feedback, float rate);

    // The trace of line `line` on channel `channel` (0 left, 1 right).
    juce::Path tracePath (int line, int channel) const;

    bool isPaused = false;
    float pointCount = 72.0f;
    int channelCount = 2;
    int delayLinesCount = 4;
    float offset = 0.4f;
    float width = 0.6f;
    float rightDepth = 1.0f;
    float leftDepth = 0.4f;
    bool equalDepth = false;
    float feedback = 0.5f;
    float rate = 5.0f;
    std::vector<std::vector<juce::Colour>> colours;
    // Milliseconds of animation; double so that hours of running keep the
    // scroll smooth.
    double time = 0.0;
    float centreY = 0.0f;
    float xStep = 0.0f;
    float phaseStep = 0.0f;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MultiCurvesComponent)
};
