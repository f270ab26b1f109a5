#pragma once

// Receives the page chosen in the page selector (the editor).
class PageSelectorDelegate
{
public:
    virtual ~PageSelectorDelegate() = default;
    virtual void onPageSelected (int pageIndex) = 0;
};
