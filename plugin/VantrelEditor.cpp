#include "VantrelEditor.h"

#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"

namespace
{
constexpr int filterTypeIndex = 4;
constexpr int filterDisplayIndex = 3;

// The input filter is a low shelf at exactly 0, a high-pass otherwise.
BiquadFilterType typeFor (float filterTypeValue)
{
    return filterTypeValue == 0.0f ? BiquadFilterType::LowShelf : BiquadFilterType::HighPass;
}

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
    // The display starts with the filter the sound uses, not always the low
    // shelf: a project may have been saved with the high-pass.
    auto* filter = containerAs<FilterContainer> (containers, filterDisplayIndex);
    if (const auto* type = processor.parameterTree.getRawParameterValue ("InputFilterType"); filter != nullptr && type != nullptr)
        filter->setType (typeFor (type->load()));
}

void VantrelEditor::parameterChanged (const juce::String& parameterID, float newValue)
{
    Editor::parameterChanged (parameterID, newValue);

    if (parameterID == "InputFilterType")
        if (auto* filter = containerAs<FilterContainer> (containers, filterDisplayIndex))
            filter->setType (typeFor (newValue));
}
