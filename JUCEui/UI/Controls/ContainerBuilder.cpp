#include "UI/Controls/ContainerBuilder.h"

#include "UI/Controls/CurveSequencer/CurveSequencerContainer.h"
#include "UI/Controls/DropdownList/DropdownListContainer.h"
#include "UI/Controls/Filter/DoubleFilterContainer.h"
#include "UI/Controls/Filter/FilterContainer.h"
#include "UI/Controls/Granulizer/GranulizerViewContainer.h"
#include "UI/Controls/Knob/KnobContainer.h"
#include "UI/Controls/Knob/WaveformKnobContainer.h"
#include "UI/Controls/Meters/PeakMeterContainer.h"
#include "UI/Controls/OnOff/OnOffContainer.h"
#include "UI/Controls/Oscilloscopes/MultiOscilloscopeContainer.h"
#include "UI/Controls/Radio/RadioContainer.h"
#include "UI/Controls/Slider/DoubleSliderContainer.h"
#include "UI/Controls/Slider/SliderContainer.h"
#include "UI/Controls/XY/TimeStopXYControlContainer.h"
#include "UI/Controls/XY/XYControlContainer.h"

std::unique_ptr<UIContainer> ContainerBuilder::build (Parameter* parameter, std::string name, int uiType,
                                                      std::vector<Parameter*> linked, std::vector<std::string> labels,
                                                      std::vector<juce::Colour> colours)
{
    // Sliders and knobs are never built reversed here.
    constexpr bool reverse = false;

    switch (uiType)
    {
        case 0:  return std::make_unique<SliderContainer> (parameter, name, reverse, labels);
        case 1:  return std::make_unique<DoubleSliderContainer> (parameter, linked.at (0), name, colours);
        case 2:  return std::make_unique<KnobContainer> (parameter, name, reverse, labels);
        case 3:  return std::make_unique<WaveformKnobContainer> (parameter, name, reverse, labels.at (0));
        case 4:  return std::make_unique<OnOffContainer> (parameter, name, labels);
        case 5:  return std::make_unique<XYControlContainer> (parameter, linked.at (0), name);
        case 6:  return std::make_unique<TimeStopXYControlContainer> (parameter, linked.at (0), linked.at (1), name);
        case 7:  return std::make_unique<FilterContainer> (parameter, linked.at (0), name);
        case 8:
        {
            // Checked all at once so nothing is built for a short list.
            auto* p1 = linked.at (0);
            auto* p2 = linked.at (1);
            auto* p3 = linked.at (2);
            auto* p4 = linked.at (3);
            auto* p5 = linked.at (4);
            return std::make_unique<DoubleFilterContainer> (parameter, p1, p2, p3, p4, p5, name);
        }
        case 9:  return std::make_unique<RadioContainer> (parameter, name, labels);
        case 10: return std::make_unique<PeakMeterContainer> (parameter, name);
        case 11: return std::make_unique<DropdownListContainer> (parameter, name, labels);
        case 12: return std::make_unique<MultiOscilloscopeContainer> (parameter, name);
        case 13: return std::make_unique<GranulizerViewContainer> (parameter, name);
        case 14: return std::make_unique<CurveSequencerContainer> (parameter, linked, name);
        default: return nullptr;
    }
}
