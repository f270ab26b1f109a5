#pragma once

#include <juce_graphics/juce_graphics.h>

#include "Parameters/Parameter.h"

#include <memory>
#include <string>
#include <vector>

class UIContainer;

// The one place that maps a parameter's container kind (0..14) to a control
// container class and its constructor arguments. The editor never names a
// container class.
//
//  0 slider            5 XY pad                  10 peak meter
//  1 double slider     6 time-stop XY pad        11 dropdown list
//  2 knob              7 filter display          12 oscilloscopes
//  3 waveform knob     8 double filter display   13 granulizer view
//  4 on/off            9 radio buttons           14 curve sequencer
class ContainerBuilder
{
public:
    ContainerBuilder() = default;
    virtual ~ContainerBuilder() = default;
    ContainerBuilder (const ContainerBuilder&) = delete;
    ContainerBuilder& operator= (const ContainerBuilder&) = delete;

    // Null for an unknown kind. `linked` holds the further parameters a
    // multi-parameter container drives, in the design's order; a kind given too
    // few of them (or a waveform knob without a label) throws std::out_of_range
    // before anything is built.
    virtual std::unique_ptr<UIContainer> build (Parameter* parameter, std::string name, int uiType,
                                                std::vector<Parameter*> linked, std::vector<std::string> labels,
                                                std::vector<juce::Colour> colours);
};
