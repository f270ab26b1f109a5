#pragma once

#include <juce_gui_extra/juce_gui_extra.h>

#include "UI/Controls/Granulizer/Grain.h"

#include <vector>

// The grains of a granular engine as short strokes in a perspective space,
// coloured by voice, faded with depth and tapered by their envelope.
class GrainsComponent : public juce::AnimatedAppComponent
{
public:
    GrainsComponent();

    void update() override {}
    void resized() override {}
    void paint (juce::Graphics& g) override;

    // Replaces the grains with `count` records of ten floats; null records are
    // skipped. Message thread only.
    void setGrains (int count, float** grains);

    // Perspective projection of {x, y, z} onto a width x height screen;
    // (-1, -1) for a point at depth 0 or one that does not map to a finite point.
    static juce::Point<float> spaceToScreen (float width, float height, const float* point);
    // The envelope factor (0..2) of a grain's stroke width.
    static float envelope (const Grain& grain);

    std::vector<Grain> grains;
    std::vector<juce::Colour> colours;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GrainsComponent)
};
