#include "UI/Controls/Granulizer/GranulizerViewBackground.h"

#include "LookAndFeel/Palette.h"
#include "UI/Controls/Granulizer/GrainsComponent.h"

GranulizerViewBackground::GranulizerViewBackground()
{
    setInterceptsMouseClicks (false, false);
}

void GranulizerViewBackground::resized()
{
    gridPath.clear();
}

void GranulizerViewBackground::buildGrid()
{
    const float width = static_cast<float> (getWidth());
    const float height = static_cast<float> (getHeight());
    const auto line = [&] (float x0, float z0, float x1, float z1) {
        const float from[] { x0, -4.0f, z0 };
        const float to[] { x1, -4.0f, z1 };
        gridPath.startNewSubPath (GrainsComponent::spaceToScreen (width, height, from));
        gridPath.lineTo (GrainsComponent::spaceToScreen (width, height, to));
    };
    for (int i = -8; i <= 8; ++i)
        line (3.0f * static_cast<float> (i), 0.1f, 3.0f * static_cast<float> (i), 14.0f);
    for (int j = 1; j <= 7; ++j)
        line (-24.0f, 2.0f * static_cast<float> (j), 24.0f, 2.0f * static_cast<float> (j));
}

void GranulizerViewBackground::paint (juce::Graphics& g)
{
    if (gridPath.isEmpty())
        buildGrid();
    g.setColour (Karvon::blue.darker (0.4f));
    g.strokePath (gridPath, juce::PathStrokeType (0.5f));
}
