#pragma once

#include "Parameters/Parameter.h"

#include <string>

// Range and identifier of one parameter that a multi-parameter container edits
// itself (rather than through a framework attachment). The identifier is also
// the host parameter's ID in the parameter tree.
struct ParameterSettings
{
    explicit ParameterSettings (const Parameter& parameter)
        : min (parameter.min), max (parameter.max), id (parameter.id)
    {
    }

    float min;
    float max;
    std::string id;
};
