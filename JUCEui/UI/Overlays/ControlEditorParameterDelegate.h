#pragma once

// Told by a control editor panel that the user confirmed a value (or the
// default), so the whole overlay can close.
class ControlEditorParameterDelegate
{
public:
    virtual ~ControlEditorParameterDelegate() = default;
    virtual void onConfirm() = 0;
};
