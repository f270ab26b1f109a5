#include "VantrelEditor.h"

#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"

namespace
{
constexpr int filterTypeIndex = 4;
constexpr int filterDisplayIndex = 3;

template <typename Kind>
Kind* containerAs (const std::map<int, std::unique_ptr<UIContainer>>& containers, int index)
{
    const auto found = containers.find (index);
    return found != containers.end() ? dynamic_cast<Kind*> (found->second.get()) : nullptr;
}
} // namespace

VantrelEditor::~VantrelEditor()
{
    // Before this class's part is gone: parameterChanged below may be running
    // on another thread until the listeners are removed.
    removeParameterListeners();
}

void VantrelEditor::configureControls()
{
    if (auto* type = containerAs<RadioContainer> (containers, filterTypeIndex))
        type->setIsWaveform (true);
    for (const int mode : { 5, 10 })
        if (auto* radio = containerAs<RadioContainer> (containers, mode))
            radio->setForceAdapt (true);
    for (const int amountOrLevel : { 6, 11, 16, 0 })
        if (auto* slider = containerAs<SliderContainer> (containers, amountOrLevel))
            slider->setForceAdapt (true);
    if (auto* filter = containerAs<FilterContainer> (containers, filterDisplayIndex))
        filter->setType (BiquadFilterType::LowShelf);
}

void VantrelEditor::parameterChanged (const juce::String& parameterID, float newValue)
{
    Editor::parameterChanged (parameterID, newValue);

    if (parameterID == "InputFilterType")
        if (auto* filter = containerAs<FilterContainer> (containers, filterDisplayIndex))
            filter->setType (newValue == 0.0f ? BiquadFilterType::LowShelf : BiquadFilterType::HighPass);
}
