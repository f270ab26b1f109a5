#pragma once

class BrowserListBoxModel;

// Told by a list model whenever its list's selection changes (-1: cleared).
class BrowserListBoxModelDelegate
{
public:
    virtual ~BrowserListBoxModelDelegate() = default;
    virtual void onItemSelected (BrowserListBoxModel* model, int row) = 0;
};
