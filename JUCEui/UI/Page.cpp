#include "UI/Page.h"

#include "UI/Section.h"

#include <cstdint>

Page::Page (std::vector<UISection> pageSections, std::string pageName)
    : sections (std::move (pageSections)), name (std::move (pageName))
{
}

Page::~Page() = default;

void Page::resized()
{
    if (sections.empty())
        return;

    std::int64_t sum = 0;
    for (const auto& entry : sections)
        sum += entry.weight;
    // Weights are positive in every design; without any there is nothing to share.
    if (sum <= 0)
        return;

    // Whole pixels from the left: the remainder of the division stays empty at
    // the right edge.
    int x = 0;
    for (const auto& entry : sections)
    {
        if (entry.section == nullptr)
            continue;
        if (entry.section->getParentComponent() != this)
            addAndMakeVisible (entry.section);
        const auto w = static_cast<int> ((static_cast<std::int64_t> (getWidth()) * entry.weight) / sum);
        entry.section->setBounds (x, 0, w, getHeight());
        x += w;
    }
}
