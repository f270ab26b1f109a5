#pragma once

#include <juce_core/juce_core.h>

#include "Parameters/Parameter.h"

// One parameter a control reports when it is right-clicked: the name to show
// for it in the control editor and the kernel parameter it edits (not owned).
struct ControlParameter
{
    juce::String displayName;
    Parameter* parameter = nullptr;
};
