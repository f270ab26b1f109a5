#pragma once

#include <juce_graphics/juce_graphics.h>

// An icon a container can draw in place of its title, as a path fitted to the
// given rectangle.
class IconPath
{
public:
    virtual ~IconPath() = default;
    virtual juce::Path getPath (float x, float y, float width, float height) = 0;
};
