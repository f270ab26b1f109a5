#include "UI/Controls/Granulizer/GranulizerViewContainer.h"

#include <algorithm>

GranulizerViewContainer::GranulizerViewContainer (Parameter* parameter, std::string title)
    : UIContainer (parameter, std::move (title)),
      background (std::make_unique<GranulizerViewBackground>()),
      grainsView (std::make_unique<GrainsComponent>())
{
    addAndMakeVisible (*background);
    addAndMakeVisible (*grainsView);
}

void GranulizerViewContainer::resized()
{
    UIContainer::resized();
    const auto area = juce::Rectangle<int> (0, currentTitleHeight, getWidth(), std::max (getHeight() - currentTitleHeight, 0));
    background->setBounds (area);
    grainsView->setBounds (area);
}

void GranulizerViewContainer::setGrains (int count, float** grains)
{
    grainsView->setGrains (count, grains);
}
