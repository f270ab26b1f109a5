#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "Parameters/Parameter.h"

// One parameter the control editor shows: the host parameter it reads and
// writes, the control's display name, and the kernel parameter that knows the
// default value and the unit. Nothing here is owned.
struct EditableParameter
{
    juce::RangedAudioParameter* hostParameter = nullptr;
    juce::String name;
    Parameter* parameter = nullptr;
};
