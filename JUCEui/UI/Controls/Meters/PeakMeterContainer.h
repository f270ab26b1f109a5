#pragma once

#include "DSPKernel.h"
#include "UI/Controls/UIContainer.h"

#include <array>
#include <string>

// Shows an output-only kernel value (a level) as one or two bars. It reads the
// kernel's value slot directly, 30 times a second, and repaints only when the
// bars it would draw changed.
class PeakMeterContainer : public UIContainer, private juce::Timer
{
public:
    PeakMeterContainer (Parameter* parameter, std::string name);
    ~PeakMeterContainer() override;

    // Finds the kernel's value slot for the parameter through the tree's
    // processor; the tree's parameters themselves are not used.
    void attach (juce::AudioProcessorValueTreeState& state) override;
    void setMainColor (juce::Colour colour) override;
    void paint (juce::Graphics& g) override;
    void timerCallback() override;

    // Pulses the bar background (a "busy" look).
    void setIsWaiting (bool waiting);
    // Draws bar `channel` of `count`.
    void updatePeak (juce::Graphics& g, int channel, int count);

    // The bar's length from a value, 0..1 (-1..1 when bipolar).
    double levelFor (float value) const;

    static constexpr int refreshRateHz = 30;

    bool isStereo = false;
    bool isNarrow = true;
    bool isBipolar = false;
    bool isDecibel = true;
    bool isInverted = false;
    bool isHorizontal = false;
    // The kernel's slot (not owned); null until the kernel has made it.
    DSPKernel::OutputSlot* peakValues = nullptr;
    float lastValues[2] { -1.0f, -1.0f };
    bool isWaiting = false;
    int waitPhase = 0;

private:
    void findSlot();
    // The bars' lengths in quarter pixels for the last values read.
    std::array<int, 2> barExtents() const;

    DSPKernel* kernel = nullptr;
    std::array<int, 2> lastExtents { -2, -2 };
};
