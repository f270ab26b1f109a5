#include "UI/Controls/Granulizer/GrainsComponent.h"

#include "LookAndFeel/Palette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

GrainsComponent::GrainsComponent()
    : colours { Karvon::red, Karvon::green, Karvon::yellow, Karvon::blue }
{
    setOpaque (false);
    setFramesPerSecond (30);
}

void GrainsComponent::setGrains (int count, float** newGrains)
{
    grains.clear();
    if (newGrains == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        if (newGrains[i] != nullptr)
            grains.emplace_back (newGrains[i]);
}

juce::Point<float> GrainsComponent::spaceToScreen (float width, float height, const float* point)
{
    const float z = point[2];
    if (z == 0.0f)
        return { -1.0f, -1.0f };
    const float sx = (point[0] / z + 1.0f) * 0.5f * width;
    const float sy = (1.0f - (point[1] / z + 1.0f) * 0.5f) * height;
    if (! std::isfinite (sx) || ! std::isfinite (sy))
        return { -1.0f, -1.0f };
    return { sx, sy };
}

float GrainsComponent::envelope (const Grain& grain)
{
    constexpr float pi = std::numbers::pi_v<float>;
    const float a = std::min (std::sqrt (grain.length / 2000.0f), 1.0f) * 10.0f * grain.taper + 1.0f;
    const float q = 1.0f / (2.0f * a);
    // Raised-cosine fade in and out over the fraction q at each end.
    if (grain.progress < q)
        return std::cos (grain.progress * pi / q + pi) + 1.0f;
    if (grain.progress > 1.0f - q)
        return std::cos ((1.0f - grain.progress) * pi / q + pi) + 1.0f;
    return 2.0f;
}

void GrainsComponent::paint (juce::Graphics& g)
{
    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    for (const auto& grain : grains)
    {
        const float x = grain.pan * 0.1f;
        const float y = (grain.pitch - 0.5f) * 0.2f + 0.01f;
        const float z0 = grain.start / 10000.0f + 0.1f;
        float extent = grain.length / 10000.0f * grain.progress;
        if (grain.isReversed)
            extent = -extent;
        const float from[] { x, y, z0 };
        const float to[] { x, y, z0 + extent };
        const auto a = spaceToScreen (width, height, from);
        const auto b = spaceToScreen (width, height, to);
        const float thickness = grain.gain * envelope (grain) * 3.0f;
        // A grain that does not map to finite figures is not drawn.
        if (! std::isfinite (thickness) || thickness <= 0.0f || ! std::isfinite (z0))
            continue;

        juce::Path path;
        path.startNewSubPath (a);
        path.lineTo (b);
        // Voices beyond the four colours wrap around.
        const auto voice = static_cast<std::size_t> (((grain.voice % 4) + 4) % 4);
        const float alpha = std::clamp (1.0f - (z0 - 0.1f) / 10.0f, 0.0f, 1.0f);
        g.setColour (colours[voice].withAlpha (alpha));
        g.strokePath (path, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
    g.setColour (juce::Colours::white);
    g.drawRect (getLocalBounds(), 1);
}
