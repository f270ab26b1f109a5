#pragma once

#include "UI/Controls/ControlParameter.h"

#include <vector>

// Receives the right clicks of control containers (the editor, which opens its
// control editor on the reported parameters).
class UIContainerDelegate
{
public:
    virtual ~UIContainerDelegate() = default;
    virtual void onRightClickOnControl (std::vector<ControlParameter> controls) = 0;
};
