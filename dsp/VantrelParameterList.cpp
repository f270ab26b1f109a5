#include "VantrelParameterList.h"

#include "Parameters/GenericTemplates.h"
#include "Pitch/ShifterMode.h"

#include <memory>

namespace
{
// Reusable parameter shapes: range, unit, flags and mapping. Each entry of the
// list below takes one and adds its identifier and default.
struct ParameterTemplate
{
    float min;
    float max;
    std::uint32_t type;
    std::uint32_t flags;
    Parameter::MappingFunction fromNormalised = nullptr;
    Parameter::MappingFunction toNormalised = nullptr;
};

struct ParameterTemplates
{
    ParameterTemplate percent { 0.0f, 100.0f, ParameterUnitPercent, 0 };
    ParameterTemplate inputGain { -30.0f, 12.0f, ParameterUnitDecibels, 0 };
    ParameterTemplate resonance { -24.0f, 24.0f, ParameterUnitDecibels, 0 };
    ParameterTemplate filterFrequency { 20.0f, 20000.0f, ParameterUnitHertz, 0,
                                        GenericTemplates::ratioToFrequencies, GenericTemplates::frequenciesToRatio };
    ParameterTemplate onOff { 0.0f, 1.0f, ParameterUnitBoolean, FlagNotRamped };
    ParameterTemplate shifterMode { 0.0f, 2.0f, ParameterUnitIndexed, FlagNotRamped };
    ParameterTemplate pitch { -24.0f, 24.0f, ParameterUnitIndexed, FlagNotRamped };
    ParameterTemplate fine { -50.0f, 50.0f, ParameterUnitPercent, FlagNotRamped };
    ParameterTemplate windowTime { 40.0f, 1000.0f, ParameterUnitMilliseconds, 0 };
    ParameterTemplate preDelay { 0.0f, 200.0f, ParameterUnitMilliseconds, 0,
                                 GenericTemplates::powThree, GenericTemplates::invertPowThree };
    ParameterTemplate reverbLength { 0.2f, 30.0f, ParameterUnitSeconds, 0,
                                     GenericTemplates::powThree, GenericTemplates::invertPowThree };
    ParameterTemplate reverbColor { 800.0f, 18000.0f, ParameterUnitHertz, FlagLinearRamp,
                                    GenericTemplates::powThree, GenericTemplates::invertPowThree };
    ParameterTemplate modulationRate { 0.5f, 12.5f, ParameterUnitRate, 0 };
    ParameterTemplate threshold { -40.0f, 0.0f, ParameterUnitDecibels, 0 };
    ParameterTemplate attack { 1.0f, 200.0f, ParameterUnitMilliseconds, 0 };
    ParameterTemplate release { 10.0f, 1000.0f, ParameterUnitMilliseconds, 0 };
};
} // namespace

VantrelParameterList::VantrelParameterList()
    : ParameterList (NumParameters)
{
    const ParameterTemplates t;

    const auto define = [this] (Index index, const char* id, const ParameterTemplate& shape, float defaultValue)
    {
        Parameter& p = *parameters[index];
        p.id = id;
        p.min = shape.min;
        p.max = shape.max;
        p.defaultValue = defaultValue;
        p.type = shape.type;
        p.flags = shape.flags;
        p.scale = 1.0f;
        p.valueList.clear();
        p.fromNormalised = shape.fromNormalised;
        p.toNormalised = shape.toNormalised;
        p.valueText = nullptr;
        if ((shape.flags & FlagNotRamped) == 0)
            p.ramper = std::make_unique<ParameterRamper>();
    };

    define (DryWet, "DryWet", t.percent, 50.0f);
    define (InputGain, "InputGain", t.inputGain, 0.0f);
    define (InputFilterResonance, "InputFilterResonance", t.resonance, 0.0f);
    define (InputFilterFrequency, "InputFilterFrequency", t.filterFrequency, 400.0f);
    define (InputFilterType, "InputFilterType", t.onOff, 0.0f);
    define (PitchShifterModeA, "PitchShifterModeA", t.shifterMode, 0.0f);
    define (PitchShifterAmountA, "PitchShifterAmountA", t.percent, 0.0f);
    define (PitchA, "PitchA", t.pitch, 0.0f);
    define (FineA, "FineA", t.fine, 0.0f);
    define (DelayTimeA, "DelayTimeA", t.windowTime, 500.0f);
    define (PitchShifterModeB, "PitchShifterModeB", t.shifterMode, 0.0f);
    define (PitchShifterAmountB, "PitchShifterAmountB", t.percent, 0.0f);
    define (PitchB, "PitchB", t.pitch, 0.0f);
    define (FineB, "FineB", t.fine, 0.0f);
    define (DelayTimeB, "DelayTimeB", t.windowTime, 500.0f);
    define (PreDelay, "PreDelay", t.preDelay, 10.0f);
    define (ReverbLength, "ReverbLength", t.reverbLength, 5.0f);
    define (ReverbColor, "ReverbColor", t.reverbColor, 6000.0f);
    define (RoomSize, "RoomSize", t.percent, 50.0f);
    define (ModulationRate, "ModulationRate", t.modulationRate, 2.5f);
    define (ModulationAmount, "ModulationAmount", t.percent, 30.0f);
    define (DuckingThreshold, "DuckingThreshold", t.threshold, 0.0f);
    define (DuckingAttack, "DuckingAttack", t.attack, 20.0f);
    define (DuckingRelease, "DuckingRelease", t.release, 100.0f);

    // Switches and modes are shown by name.
    parameters[InputFilterType]->valueText = filterTypeName;
    parameters[PitchShifterModeA]->valueText = shifterModeName;
    parameters[PitchShifterModeB]->valueText = shifterModeName;

    // The ducker's meter: written by the kernel, read by the editor; it has no
    // range, no ramper and is not published to the host.
    Parameter& meter = *parameters[DuckingPeakMeter];
    meter.id = "DuckingPeakMeter";
    meter.isOutput = true;
}

const char* VantrelParameterList::shifterModeName (int mode)
{
    static constexpr const char* names[] { "PRE", "FEEDBACK", "POST" };
    return mode >= 0 && mode < ShifterMode::Count ? names[mode] : "";
}

const char* VantrelParameterList::filterTypeName (int type)
{
    static constexpr const char* names[] { "lowshelf", "hipass" };
    return type >= 0 && type < 2 ? names[type] : "";
}

std::vector<unsigned long> VantrelParameterList::getFavourites()
{
    return { ReverbLength, PitchShifterAmountA, PitchShifterAmountB, DryWet };
}
