#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A slider that leaves the right mouse button to its container, which opens
// the control editor: a right press, drag or release never moves the value.
// A left press is always released, whatever buttons the release carries, so
// the host gesture it began is always ended. Only a left double click reaches
// the slider's return to its default: two quick right clicks open the
// control editor and change nothing.
class CustomSlider : public juce::Slider
{
public:
    CustomSlider() = default;
    explicit CustomSlider (const juce::String& componentName) : juce::Slider (componentName) {}

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;

private:
    bool pressTaken = false;
    // Whether the press that ended last was the slider's own (left) one.
    bool lastPressTaken = false;
};
