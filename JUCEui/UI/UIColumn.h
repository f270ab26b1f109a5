#pragma once

#include "UI/UIParameter.h"

#include <vector>

// One column of a section: its slots from top to bottom, and its width weight
// among the section's columns.
struct UIColumn
{
    std::vector<UIParameter> params;
    float width;
};
