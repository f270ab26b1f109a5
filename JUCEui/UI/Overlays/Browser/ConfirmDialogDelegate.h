#pragma once

class ConfirmDialogDelegate
{
public:
    virtual ~ConfirmDialogDelegate() = default;
    // The user confirmed the deletion.
    virtual void onDelete() = 0;
};
