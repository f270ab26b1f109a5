#pragma once

// Shared by the tests of the header and the overlays: a real processor, a
// delegate that records what the header reports, headless mouse events and
// pixel reads from pictures of components.
#include <gtest/gtest.h>

#include "UI/PluginHeaderDelegate.h"
#include "VantrelProcessor.h"

#include <memory>
#include <string>
#include <vector>

namespace overlaytest
{
inline juce::MouseEvent pressAt (juce::Component& target, int x, int y)
{
    const auto now = juce::Time::getCurrentTime();
    const juce::Point<float> at { static_cast<float> (x), static_cast<float> (y) };
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), at,
                             juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &target, &target, now, at,
                             now, 1, false);
}

// What a component draws, on an opaque black ground so that alpha shows.
inline juce::Image picture (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (component.getWidth(), 1), juce::jmax (component.getHeight(), 1),
                       true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::black);
    component.paintEntireComponent (g, false);
    return image;
}

inline bool near (juce::Colour a, juce::Colour b, int tolerance = 2)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
           && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

// `colour` at `alpha` over black, as a picture shows it.
inline juce::Colour overBlack (juce::Colour colour, float alpha)
{
    return juce::Colours::black.interpolatedWith (colour, alpha);
}

// Records every report, in order, as text: "next", "select 3", "saveAs NAME", ...
class RecordingHeaderDelegate : public PluginHeaderDelegate
{
public:
    void onPresetTypeSelected (int type) override
    {
        calls.push_back ("type " + std::to_string (type));
        if (onType)
            onType (type);
    }
    void onPresetDirectorySelected (int directory) override { calls.push_back ("directory " + std::to_string (directory)); }
    void onPresetSelected (int row) override { calls.push_back ("select " + std::to_string (row)); }
    void previousPreset() override { calls.push_back ("previous"); }
    void nextPreset() override { calls.push_back ("next"); }
    void savePreset (Preset* preset) override { calls.push_back ("save " + preset->name.toStdString()); }
    void savePresetAs (juce::String name) override { calls.push_back ("saveAs " + name.toStdString()); }
    void deletePreset (Preset* preset) override { calls.push_back ("delete " + preset->name.toStdString()); }
    void onPresetBrowserOpening() override { calls.push_back ("opening"); }

    std::vector<std::string> calls;
    std::function<void (int)> onType;
};
} // namespace overlaytest
