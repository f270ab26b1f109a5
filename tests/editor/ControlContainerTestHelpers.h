#pragma once

#include <gtest/gtest.h>

#include "VantrelProcessor.h"

#include <memory>

// Shared by the tests of the control containers and their look and feel: a
// real processor to attach to, host-side parameter access, headless mouse
// events and pictures of components.
namespace controltest
{
inline Parameter* kernelParameter (EffectProcessor& processor, unsigned long index)
{
    return &processor.getKernel().parameters->at (index);
}

inline juce::RangedAudioParameter& hostParameter (EffectProcessor& processor, const juce::String& id)
{
    return *processor.parameterTree.getParameter (id);
}

inline float hostValue (EffectProcessor& processor, const juce::String& id)
{
    auto& p = hostParameter (processor, id);
    return p.convertFrom0to1 (p.getValue());
}

// Sets a host parameter as the host does, in the parameter's own units.
inline void setHostValue (EffectProcessor& processor, const juce::String& id, float value)
{
    auto& p = hostParameter (processor, id);
    p.setValueNotifyingHost (p.convertTo0to1 (value));
}

inline juce::MouseEvent mouseEvent (juce::Component& target, float x, float y, juce::ModifierKeys mods,
                                    juce::Point<float> downAt = {})
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { x, y }, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &target, &target, now,
                             downAt, now, 1, false);
}

inline const juce::ModifierKeys leftButton { juce::ModifierKeys::leftButtonModifier };
inline const juce::ModifierKeys rightButton { juce::ModifierKeys::rightButtonModifier };

inline juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

inline juce::Image blankImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

// True when the pixel is (nearly) the colour, alpha included.
inline bool isColour (const juce::Image& image, int x, int y, juce::Colour colour, int tolerance = 3)
{
    const auto p = image.getPixelAt (x, y);
    return std::abs (p.getRed() - colour.getRed()) <= tolerance
           && std::abs (p.getGreen() - colour.getGreen()) <= tolerance
           && std::abs (p.getBlue() - colour.getBlue()) <= tolerance
           && std::abs (p.getAlpha() - colour.getAlpha()) <= tolerance;
}

inline bool isTransparent (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha() == 0;
}

// Counts pixels in a rectangle that are (nearly) the colour.
inline int countColour (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance = 40)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (isColour (image, x, y, colour, tolerance))
                ++count;
    return count;
}

class ProcessorBackedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Controls are checked from the parameters' own defaults (the
        // "DEFAULT" preset), not from the preset a new instance starts on.
        processor = VantrelProcessor::create();
        processor->setPreset ("Default", true);
    }
    void TearDown() override { processor.reset(); }

    std::unique_ptr<VantrelProcessor> processor;
};
} // namespace controltest
