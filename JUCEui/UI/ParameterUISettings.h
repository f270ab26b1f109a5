#pragma once

#include <juce_graphics/juce_graphics.h>

#include <string>
#include <vector>

// How one parameter appears on the editor: the control's title, the kind of
// container the builder makes for it, the further parameters that container
// drives, its option texts, its stub lines and extra colours.
struct ParameterUISettings
{
    ParameterUISettings() = default;
    ParameterUISettings (std::string name, int uiType, std::vector<int> linkedParameters,
                         std::vector<std::string> labels, std::vector<bool> lines,
                         std::vector<juce::Colour> colours)
        : name (std::move (name)), uiType (uiType), linkedParameters (std::move (linkedParameters)),
          labels (std::move (labels)), lines (std::move (lines)), colours (std::move (colours))
    {
    }

    std::string name;
    // Container kind 0..14 (see ContainerBuilder); any other value builds nothing.
    int uiType = 0;
    // Order matters: the container receives them in this order after its own.
    std::vector<int> linkedParameters;
    std::vector<std::string> labels;
    // [0] stub line on the left edge, [1] on the right; a control with either
    // line fills its slot without the usual 1-pixel inset.
    std::vector<bool> lines { false, false };
    std::vector<juce::Colour> colours;
};
